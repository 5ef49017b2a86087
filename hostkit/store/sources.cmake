# The host's own tables in the company database and what it keeps there, relative to the hostkit
# folder.
set(HOSTKIT_STORE_SOURCES
  store/counter_numbers.cpp
  store/counters.cpp
  store/host_tables.cpp
  store/packed_text.cpp
  store/print_history.cpp
  store/printer_profiles.cpp
  store/template_store.cpp
)
