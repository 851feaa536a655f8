# The packing plot of bench/results.md and docs/benchmarks.md: the work (CPU time, steadier than
# wall time on a busy machine) against output size, for sfxpack's levels (a line per payload, each
# point a level) and for zip -9 and 7-Zip's zip writer. Set data and output with -e.
set terminal pngcairo size 900,520 font ",10"
set output output
set title "Packing 64 MiB (lower left is better)"
set xlabel "CPU time, summed over threads (s, log scale; wall times are in the tables)"
set ylabel "output size (% of zip -9's)"
set logscale x
set grid
set key top right
plot data index 0 using 1:2 with linespoints pt 7 lc rgb "#4a7ab5" title "sfxpack, benchmark payload", \
     data index 0 using 1:2:3 with labels offset 0,0.8 textcolor rgb "#4a7ab5" notitle, \
     data index 1 using 1:2 with linespoints pt 5 lc rgb "#c0504d" title "sfxpack, real files", \
     data index 1 using 1:2:3 with labels offset 0,0.8 textcolor rgb "#c0504d" notitle, \
     data index 2 using 1:2 with points pt 6 ps 1.5 lc rgb "#4a7ab5" title "zip / 7-Zip, benchmark payload", \
     data index 2 using 1:2:3 with labels left offset 1,-0.6 textcolor rgb "#4a7ab5" notitle, \
     data index 3 using 1:2 with points pt 4 ps 1.5 lc rgb "#c0504d" title "zip / 7-Zip, real files", \
     data index 3 using 1:2:3 with labels left offset 1,-0.6 textcolor rgb "#c0504d" notitle
