# The search on a generated phone book, beside the same statements through the
# SQLite C API alone. Usage: telvora_bench_search [--benchmark_...] BOOK.mdb
add_executable(telvora_bench_search
    bench_search.cpp
    BareSqlite.cpp BareSqlite.h
    StatementTrace.cpp StatementTrace.h
    RatioReporter.cpp RatioReporter.h)
target_link_libraries(telvora_bench_search PRIVATE
    telvora_search telvora_ui benchmark::benchmark SQLite::SQLite3 telvora_settings)

if(TELVORA_BUILD_TESTS)
    set(search_smoke_book ${CMAKE_CURRENT_BINARY_DIR}/search_smoke.mdb)
    add_test(NAME bench_search_smoke COMMAND sh -c
        "rm -f \"$1\" && \"$2\" \"$1\" 200 7 && \"$3\" --benchmark_min_time=0.001 \"$1\""
        bench_search_smoke ${search_smoke_book} $<TARGET_FILE:make_phonebook>
        $<TARGET_FILE:telvora_bench_search>)
endif()
