# The host's message catalogue, headless message boxes and the log file, relative to hostkit/.
# They need fmt and spdlog.
set(HOSTKIT_MESSAGES_SOURCES
  messages/headless_message_service.cpp
  messages/headless_translation_service.cpp
  messages/log_service.cpp
  messages/message_buttons.cpp
  messages/message_catalogue.cpp
)
