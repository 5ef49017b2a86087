# The print history's runs: what a run is kept with, the session's recorder, and reprints.
# Paths relative to hostkit/.
set(HOSTKIT_HISTORY_SOURCES
  history/history_recorder.cpp
  history/reprint.cpp
  history/run_snapshot.cpp
)
