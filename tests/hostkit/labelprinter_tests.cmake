# The label-printer output: EPL2 streams checked against golden files, and the devices over real
# files, sockets and the CUPS client.

briskal_test(labelprinter_tests ${CMAKE_CURRENT_LIST_DIR}/labelprinter_test.cpp ${CMAKE_CURRENT_LIST_DIR}/printer_status_test.cpp)
target_link_libraries(labelprinter_tests PRIVATE briskal_hostkit briskal_test_files)

# The barcodes of both printer languages drawn back to dots and read by barcode readers.
target_sources(labelprinter_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/label_scan_test.cpp ${CMAKE_CURRENT_LIST_DIR}/gs1_scan_test.cpp)
target_link_libraries(labelprinter_tests PRIVATE briskal_test_process)

# Delivery confirmed by the printer, against loopback printers that reset, stall or stay silent.
target_sources(labelprinter_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/label_delivery_test.cpp)
target_link_libraries(labelprinter_tests PRIVATE briskal_test_print_servers)
