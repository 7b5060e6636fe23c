# The insert run against a headless office suite that the benchmark starts itself.
add_executable(insert_bench ${CMAKE_CURRENT_LIST_DIR}/insert_bench.cpp)
target_link_libraries(insert_bench PRIVATE lumigrove_form1harness lumigrove_office_fixture
    lumigrove_batch lumigrove_builder_uno)

# The insert run at 1,000 to 10,000 pictures, through the real lumigrove-batch.
add_executable(insert_scale_bench ${CMAKE_CURRENT_LIST_DIR}/insert_scale_bench.cpp)
target_link_libraries(insert_scale_bench PRIVATE lumigrove_office_fixture lumigrove_builder_uno Qt6::Gui)
add_dependencies(insert_scale_bench lumigrove-batch)
