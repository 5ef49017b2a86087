# The host's code decoding, search lists and document lookup, relative to the hostkit folder.
set(HOSTKIT_LOOKUPS_SOURCES
  lookups/code_decoder.cpp
  lookups/code_tables.cpp
  lookups/company_tables.cpp
  lookups/document_lookup.cpp
  lookups/search_list.cpp
)
