# The library the browser loads, plugins/npondrakmusic.so of the build tree, with the files its
# start-up reads laid out beside it as they are installed, as cmake/plugin_files.txt lists them:
# the plug-in's resource file, the system files of Worva/, Fonts/ and SoundBank/. It exports
# exactly the five NP_* functions;
# everything else is linked in and bound to itself (-Bsymbolic), and nothing may stay
# undefined (-z defs). The target browser_plugin builds the library and its files.
# The plug-in's own code is compiled hidden; the version script hides what the folders below add.
set_target_properties(orva_plugin PROPERTIES CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)

set(ORVA_PLUGIN_DIR ${CMAKE_BINARY_DIR}/plugins)
set(plugin_source ${CMAKE_BINARY_DIR}/generated/plugin/npondrakmusic.cpp)
file(CONFIGURE OUTPUT ${plugin_source}
     CONTENT "// The library is made of the folder libraries; its exports come from plugin/glue.cpp.\n")
add_library(npondrakmusic SHARED ${plugin_source})
orva_link_all(npondrakmusic)
set(exports NP_GetMIMEDescription NP_GetValue NP_GetPluginVersion NP_Initialize NP_Shutdown)
foreach(symbol IN LISTS exports)
  target_link_options(npondrakmusic PRIVATE -Wl,--undefined=${symbol})
endforeach()
target_link_options(npondrakmusic PRIVATE -Wl,--version-script=${CMAKE_SOURCE_DIR}/plugin/npondrakmusic.map -Wl,-Bsymbolic)
# clang's sanitizer and fuzzing runtimes live in the program that loads the library, so only
# builds without them (or gcc's, whose runtimes are shared libraries) can ask for no undefined name.
if((ORVA_SANITIZE STREQUAL "none" OR CMAKE_CXX_COMPILER_ID STREQUAL "GNU") AND NOT ORVA_FUZZ)
  target_link_options(npondrakmusic PRIVATE -Wl,-z,defs)
endif()
set_target_properties(npondrakmusic PROPERTIES
  PREFIX "" OUTPUT_NAME npondrakmusic
  LIBRARY_OUTPUT_DIRECTORY ${ORVA_PLUGIN_DIR}
  LINK_DEPENDS ${CMAKE_SOURCE_DIR}/plugin/npondrakmusic.map)

set(ORVA_PLUGIN_FILES ${CMAKE_SOURCE_DIR}/cmake/plugin_files.txt)
add_custom_target(browser_plugin_files ALL
  COMMAND ${CMAKE_COMMAND} -DLIST=${ORVA_PLUGIN_FILES} -DBUILD=${CMAKE_BINARY_DIR} -DPLUGINS=${ORVA_PLUGIN_DIR}
          -DMKBANK=$<TARGET_FILE:mkbank> -P ${CMAKE_SOURCE_DIR}/cmake/plugin_layout.cmake
  COMMENT "Laying out the plug-in's files in plugins/"
  VERBATIM)
# Whatever the list copies from the build tree is made first: the music font and the
# resource files built from data/rsrc/.
add_dependencies(browser_plugin_files quorella_font orva_plugin_resources mkbank)
add_custom_target(browser_plugin DEPENDS npondrakmusic browser_plugin_files)

# The plug-in's tests load this tree's library through the test host, and the browser's
# library from a tree without sanitizers: this one, or build/browser (./test.sh builds it).
if(ORVA_SANITIZE STREQUAL "none")
  set(ORVA_BROWSER_PLUGIN_DIR ${ORVA_PLUGIN_DIR})
else()
  set(ORVA_BROWSER_PLUGIN_DIR ${CMAKE_SOURCE_DIR}/build/browser/plugins)
endif()
# A program that runs the plug-in in its own process stands as the plug-in's library: its
# folder, which NP_Initialize makes current, holds the plug-in's resource file.
set(program_folders "")
foreach(test_target test_instances test_scripting test_nphost test_shell_browser test_embed_params test_plugin_folder
                    test_message_channel test_queued_messages test_selection_retiming
                    test_documents test_documents_corpus test_documents_browser
                    test_seeing_browser test_seeing_host
                    embed_params_fuzz_replay embed_params_fuzz expose_bench browser_cpu_bench documents_bench)
  if(TARGET ${test_target})
    target_link_libraries(${test_target} PRIVATE orva_nphost_browser)
    add_dependencies(${test_target} npondrakmusic browser_plugin_files nphost plugin_resource_beside_programs)
    get_target_property(folder ${test_target} RUNTIME_OUTPUT_DIRECTORY)
    if(NOT folder)
      get_target_property(folder ${test_target} BINARY_DIR)
    endif()
    list(APPEND program_folders ${folder})
    target_compile_definitions(${test_target} PRIVATE
      ORVA_PLUGIN_DIR="${ORVA_PLUGIN_DIR}" ORVA_BROWSER_PLUGIN_DIR="${ORVA_BROWSER_PLUGIN_DIR}"
      ORVA_SOURCE_TREE="${CMAKE_SOURCE_DIR}" ORVA_CMAKE_COMMAND="${CMAKE_COMMAND}")
  endif()
endforeach()

list(REMOVE_DUPLICATES program_folders)
set(copies "")
foreach(folder IN LISTS program_folders)
  list(APPEND copies COMMAND ${CMAKE_COMMAND} -E copy_if_different "${CMAKE_BINARY_DIR}/resources/Ondrak Music Plugin.rsr" ${folder})
endforeach()
add_custom_target(plugin_resource_beside_programs ${copies} VERBATIM)
add_dependencies(plugin_resource_beside_programs orva_plugin_resources)

# The tools as a user runs them, from the tree without sanitizers: this one, or build/browser,
# where ./test.sh builds the target tools.
if(ORVA_SANITIZE STREQUAL "none")
  set(ORVA_BROWSER_TOOLS_DIR ${CMAKE_BINARY_DIR}/tools)
else()
  set(ORVA_BROWSER_TOOLS_DIR ${CMAKE_SOURCE_DIR}/build/browser/tools)
endif()
foreach(test_target test_output_level test_tools_by_hand)
  if(TARGET ${test_target})
    add_dependencies(${test_target} tools)
    target_compile_definitions(${test_target} PRIVATE ORVA_BROWSER_TOOLS_DIR="${ORVA_BROWSER_TOOLS_DIR}")
  endif()
endforeach()
