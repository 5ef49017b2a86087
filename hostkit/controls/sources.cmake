# The headless controls of the stand-in host, relative to the hostkit folder.
set(HOSTKIT_CONTROLS_SOURCES
  controls/filter_columns.cpp
  controls/filter_condition.cpp
  controls/headless_button.cpp
  controls/headless_check.cpp
  controls/headless_combo.cpp
  controls/headless_control_host.cpp
  controls/headless_grid.cpp
  controls/headless_mdi_host.cpp
  controls/headless_progress.cpp
  controls/headless_query_filter.cpp
  controls/headless_resizer.cpp
  controls/headless_tab.cpp
  controls/headless_text_edit.cpp
)
