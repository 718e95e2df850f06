# Pictures of aircraft types drawn from a few parameters of each type, and a
# demo that renders every type of a source file into PNG files. Needs Qt6::Gui
# and nlohmann_json found before it.

add_library(verlumo-painter STATIC
  ${CMAKE_CURRENT_LIST_DIR}/aircraftpainter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/aircraftlayout.cpp
  ${CMAKE_CURRENT_LIST_DIR}/aircraftshapes.cpp
  ${CMAKE_CURRENT_LIST_DIR}/aircraftside.cpp
  ${CMAKE_CURRENT_LIST_DIR}/aircrafttop.cpp
  ${CMAKE_CURRENT_LIST_DIR}/aircraftfront.cpp
  ${CMAKE_CURRENT_LIST_DIR}/aircraftrotor.cpp
)
target_include_directories(verlumo-painter PUBLIC ${CMAKE_CURRENT_LIST_DIR}/..)
target_link_libraries(verlumo-painter PUBLIC Qt6::Gui nlohmann_json::nlohmann_json)
target_compile_definitions(verlumo-painter PRIVATE QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII)

add_executable(verlumo-paintdemo ${CMAKE_CURRENT_LIST_DIR}/aircraftpaintdemo.cpp)
target_link_libraries(verlumo-paintdemo PRIVATE verlumo-painter)
target_compile_definitions(verlumo-paintdemo PRIVATE QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII)
