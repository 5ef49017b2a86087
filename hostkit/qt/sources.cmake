# The desktop host's Qt 6 Widgets side, relative to the hostkit folder: controls over widgets,
# form windows built from Designer files, message boxes, search lists, the print options, the print
# preview and the host window.
add_library(briskal_hostkit_qt STATIC
  qt/cell_tips.cpp
  qt/designer_canvas.cpp
  qt/designer_window.cpp
  qt/form_memory.cpp
  qt/history_window.cpp
  qt/host_window.cpp
  qt/label_printers_dialog.cpp
  qt/page_view.cpp
  qt/print_boxes.cpp
  qt/print_dialog.cpp
  qt/print_preview.cpp
  qt/print_settings_dialog.cpp
  qt/printer_profile_dialog.cpp
  qt/qt_control.cpp
  qt/qt_control_host.cpp
  qt/qt_dialogs.cpp
  qt/qt_form_window.cpp
  qt/qt_frame_controls.cpp
  qt/qt_grid.cpp
  qt/qt_inputs.cpp
  qt/qt_query_filter.cpp
  qt/qt_translations.cpp
  qt/recordset_model.cpp
  qt/screen_label_printer.cpp
  qt/screen_texts.cpp
  qt/virtual_keys.cpp
)
target_link_libraries(briskal_hostkit_qt PUBLIC briskal_hostkit Qt6::Widgets PRIVATE Qt6::UiTools)

# The forms' layouts beside the programs: build/share/briskal/forms.
add_custom_target(briskal_form_layouts ALL
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${PROJECT_SOURCE_DIR}/data/forms ${CMAKE_BINARY_DIR}/share/briskal/forms
  COMMENT "Copying the form layouts")
add_dependencies(briskal_hostkit_qt briskal_form_layouts)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/data/forms DESTINATION share/briskal)
