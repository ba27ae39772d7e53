# What the fuzz build and the replay program share: the sources of the
# targets' entries (fuzz/Targets.h) and the targets' names, one per seed
# corpus folder fuzz/corpus/<name>/.
set(DV_FUZZ_ENTRY_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/CharacterMapFuzz.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DateTimeTextFuzz.cpp
  ${CMAKE_CURRENT_LIST_DIR}/NumberTextFuzz.cpp
  ${CMAKE_CURRENT_LIST_DIR}/OioFuzz.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ProfileFuzz.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StatementLoopFuzz.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TableTextFuzz.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TableStreamFuzz.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Targets.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ValueTextFuzz.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../tests/support/InProcessSession.cpp
)
file(GLOB DV_FUZZ_TARGETS LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_LIST_DIR}/corpus
     CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/corpus/*)
