# GS1 element strings: application identifiers, their rules and check digits.
# Paths relative to hostkit/.
set(HOSTKIT_GS1_SOURCES
  gs1/element_string.cpp
)
