# The export benchmark runs libxlsxwriter's .xlsx writer beside ours as the peer.
find_library(XLSXWRITER xlsxwriter REQUIRED)
kavio_add_bench(bench_export SOURCES bench_export.cpp LIBS ${XLSXWRITER})
