# The client is built folder by folder: net/, tower/, lobby/, ringing/,
# resources/ and app/ each list their own sources into two libraries.
#   tolmer_core    the logic that needs no window: the tower session, tables,
#                  layout plans, statistics. Links the wire library, no Qt.
#   tolmer_client  the windows and their handlers, over the platform layer.
add_library(tolmer_core STATIC)
target_include_directories(tolmer_core PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(tolmer_core PUBLIC tolmer_wire)

if(TOLMER_BUILD_CLIENT)
  add_library(tolmer_client STATIC)
  target_include_directories(tolmer_client PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(tolmer_client PUBLIC tolmer_core tolmer_platform tolmer_sound)
endif()
