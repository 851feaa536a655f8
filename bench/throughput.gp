# The throughput plot of bench/results.md: one bar per contender (median, whiskers from the slowest
# to the fastest run), MB/s on a log scale so that the start-up-bound Wine whole run shows beside
# the native contenders. Set data and output with -e.
set terminal pngcairo size 900,480 font ",10"
set output output
set title "Unpacking the benchmark payload (higher is faster)"
set ylabel "MB/s (10^6 bytes unpacked per second, log scale)"
set logscale y
set yrange [0.1:*]
set style fill solid 0.8 border -1
set boxwidth 0.6
set xtics nomirror rotate by -20
set grid ytics
unset key
plot data using 0:2:xtic(1) with boxes lc rgb "#4a7ab5", \
     data using 0:3:(0):($4 - $3) with vectors nohead lw 1.5 lc rgb "#222222", \
     data using 0:4:(sprintf("%.1f", $2)) with labels offset 0,0.8
