# The fuzz targets. Included by fuzz/CMakeLists.txt (libFuzzer builds, clang)
# and by tests/fuzz/CMakeLists.txt (replay builds that CTest runs over
# fuzz/regressions/<name>/ on any compiler); each defines
# velmar_fuzz_target(NAME SOURCES ... LIBS ...) its own way. A new target is one
# line here plus a folder of regression inputs.
velmar_fuzz_target(race_day SOURCES race_day_fuzz.cpp LIBS velmar_data)
velmar_fuzz_target(race_line SOURCES race_line_fuzz.cpp LIBS velmar_data)
velmar_fuzz_target(horse_line SOURCES horse_line_fuzz.cpp LIBS velmar_data)
velmar_fuzz_target(vd3 SOURCES vd3_fuzz.cpp LIBS velmar_data)
velmar_fuzz_target(archive_import SOURCES archive_import_fuzz.cpp LIBS velmar_data)
velmar_fuzz_target(catalogue SOURCES catalogue_fuzz.cpp LIBS velmar_online)
