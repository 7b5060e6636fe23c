# The insert run against a headless office suite that the benchmark starts itself.
add_executable(insert_bench ${CMAKE_CURRENT_LIST_DIR}/insert_bench.cpp)
target_link_libraries(insert_bench PRIVATE lumigrove_app lumigrove_office_fixture
    lumigrove_testsupport lumigrove_batch lumigrove_builder_uno)
