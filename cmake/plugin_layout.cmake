# Run as a script (cmake -DBUILD=... -DPLUGINS=... -DMKBANK=... -P plugin_layout.cmake): lays out
# beside the plug-in library the files its start-up reads, as an installation holds them: the
# plug-in's resource file, Worva/WInit.rsr, Fonts/Quorella.ttf with its licence, and the
# "OMS Basic" sound bank in SoundBank/, made by mkbank exactly as the build tree's.
file(MAKE_DIRECTORY "${PLUGINS}/Fonts" "${PLUGINS}/Worva")
foreach(pair "fonts/Quorella.ttf|Fonts/Quorella.ttf" "fonts/OFL.txt|Fonts/OFL.txt"
             "resources/Ondrak Music Plugin.rsr|Ondrak Music Plugin.rsr" "resources/Worva/WInit.rsr|Worva/WInit.rsr")
  string(REPLACE "|" ";" pair "${pair}")
  list(GET pair 0 from)
  list(GET pair 1 to)
  if(EXISTS "${BUILD}/${from}")
    file(COPY_FILE "${BUILD}/${from}" "${PLUGINS}/${to}" ONLY_IF_DIFFERENT)
  endif()
endforeach()
set(bank "${PLUGINS}/SoundBank/OMS Basic.rsr")
if(NOT EXISTS "${bank}" OR "${MKBANK}" IS_NEWER_THAN "${bank}")
  execute_process(COMMAND "${MKBANK}" --synthetic -o "${PLUGINS}/SoundBank" RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "mkbank could not make the OMS Basic bank in ${PLUGINS}/SoundBank")
  endif()
endif()
