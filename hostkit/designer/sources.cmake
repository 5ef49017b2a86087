# The label designer's model, free of any toolkit: the template being designed with its undo
# history, and the data it shows. Paths relative to hostkit/.
set(HOSTKIT_DESIGNER_SOURCES
  designer/design_document.cpp
  designer/live_labels.cpp
  designer/support_fields.cpp
)
