# Source lists of the client, folder by folder (paths from the project root).
# Qt-free logic: tables, statistics, key tables, sound sets, orderings.
set(TOLMER_CORE_SOURCES
  app/ServerChoice.cpp
  lobby/ChatLog.cpp
  lobby/RingerOrder.cpp
  ringing/BellLayout.cpp
  ringing/KeyTables.cpp
  ringing/PingStats.cpp
  ringing/SoundLabels.cpp
  tower/Allocation.cpp
  tower/RingerTable.cpp
)
list(TRANSFORM TOLMER_CORE_SOURCES PREPEND ${PROJECT_SOURCE_DIR}/)

# The windows and their handlers.
set(TOLMER_CLIENT_SOURCES
  app/ClientApp.cpp
  app/TowerWindow.cpp
  lobby/Chat.cpp
  lobby/JoinTowerDialog.cpp
  lobby/MessagesDialog.cpp
  lobby/RingersPresent.cpp
  lobby/TowerList.cpp
  net/Connection.cpp
  resources/BellIcon.cpp
  resources/DialogTemplates.cpp
  resources/TowerWindowTemplate.cpp
  ringing/BellSounds.cpp
  ringing/ControlsDialog.cpp
  ringing/LayOutBells.cpp
  ringing/RecordPing.cpp
  ringing/Settings.cpp
  ringing/StatusLine.cpp
  ringing/Striking.cpp
  tower/BellsButton.cpp
  tower/BellsDialog.cpp
)
list(TRANSFORM TOLMER_CLIENT_SOURCES PREPEND ${PROJECT_SOURCE_DIR}/)
