# The headless controls, with the filter's conditions run on the demo database (SQLite, and
# PostgreSQL when a server can be started).

briskal_test(controls_tests ${CMAKE_CURRENT_LIST_DIR}/controls_test.cpp)
target_link_libraries(controls_tests PRIVATE briskal_hostkit briskal_test_databases briskal_test_support)
