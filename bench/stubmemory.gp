# The stubs' peak memory plot of bench/results.md: per installer size, one bar per stub. Set data
# and output with -e.
set terminal pngcairo size 760,420 font ",10"
set output output
set title "Peak memory of the stub under Wine, by installer size (lower is better)"
set ylabel "peak resident set (MiB)"
set yrange [0:*]
set style data histograms
set style histogram clustered gap 1
set style fill solid 0.8 border -1
set boxwidth 0.9
set grid ytics
set key top left
plot data using 2:xtic(1) title "sfxstub.exe (PE32)" lc rgb "#4a7ab5", \
     data using 3 title "sfxstub64.exe (PE32+)" lc rgb "#d08a3c"
