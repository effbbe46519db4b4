# Helpers that turn the folder layout into targets.

set(ORVA_WARNINGS -Wall -Wextra)

# orva_folder_library(folder): a static library orva_<folder> of every .cpp under <folder>/.
# A folder without code yet gives no target; orva_all lists those that exist.
function(orva_folder_library folder)
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${folder}/*.cpp)
  if(NOT sources)
    return()
  endif()
  set(target orva_${folder})
  add_library(${target} STATIC ${sources})
  target_include_directories(${target} PUBLIC ${CMAKE_SOURCE_DIR})
  target_compile_options(${target} PRIVATE ${ORVA_WARNINGS})
  target_link_libraries(${target} PUBLIC
    PkgConfig::GTK2 PkgConfig::CAIRO PkgConfig::PANGOCAIRO PkgConfig::ALSA
    PkgConfig::VORBIS PkgConfig::ZLIB PkgConfig::MINIZIP PkgConfig::EXPAT
    Threads::Threads ${CMAKE_DL_LIBS} rt)
  set_property(GLOBAL APPEND PROPERTY ORVA_LIBRARIES ${target})
endfunction()

# orva_link_all(target): links every folder library, as a group, into target.
function(orva_link_all target)
  get_property(libs GLOBAL PROPERTY ORVA_LIBRARIES)
  target_link_libraries(${target} PRIVATE "$<LINK_GROUP:RESCAN,${libs}>")
  foreach(lib IN LISTS libs)
    target_include_directories(${target} PRIVATE $<TARGET_PROPERTY:${lib},INTERFACE_INCLUDE_DIRECTORIES>)
    target_link_libraries(${target} PRIVATE $<TARGET_PROPERTY:${lib},INTERFACE_LINK_LIBRARIES>)
  endforeach()
endfunction()
