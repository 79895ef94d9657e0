# Run at the end of every install, with these set before it:
#   FLAGRUN_OBJCOPY, FLAGRUN_PROGRAM (the game, relative to the prefix or absolute),
#   FLAGRUN_DESKTOP_TEMPLATE, FLAGRUN_DESKTOP_DIR, FLAGRUN_LAUNCHER,
#   FLAGRUN_RECORDS_DIR and FLAGRUN_SCRATCH_DIR (both in the build tree).

function(flagrun_under_prefix out path)
  if(IS_ABSOLUTE "${path}")
    set(${out} "${path}" PARENT_SCOPE)
  else()
    set(${out} "${CMAKE_INSTALL_PREFIX}/${path}" PARENT_SCOPE)
  endif()
endfunction()

# The launcher's path as the one word of Exec: in double quotes when it
# holds a character the desktop entry format reserves, with ", `, $ and \
# escaped inside them; then escaped as a string value, with % doubled.
function(flagrun_exec_value out path)
  set(value "${path}")
  if(value MATCHES "[ \t\n\r\"'\\\\><~|&;$*?#()`]")
    string(REPLACE "\\" "\\\\" value "${value}")
    string(REPLACE "\"" "\\\"" value "${value}")
    string(REPLACE "`" "\\`" value "${value}")
    string(REPLACE "$" "\\$" value "${value}")
    set(value "\"${value}\"")
  endif()
  string(REPLACE "\\" "\\\\" value "${value}")
  string(REPLACE "\n" "\\n" value "${value}")
  string(REPLACE "\t" "\\t" value "${value}")
  string(REPLACE "\r" "\\r" value "${value}")
  string(REPLACE "%" "%%" value "${value}")
  set(${out} "${value}" PARENT_SCOPE)
endfunction()

# Debian ships programs without the compiler's comment and note sections,
# which a plain strip keeps.
if(CMAKE_INSTALL_DO_STRIP AND FLAGRUN_OBJCOPY)
  flagrun_under_prefix(program "${FLAGRUN_PROGRAM}")
  execute_process(COMMAND "${FLAGRUN_OBJCOPY}" --remove-section=.comment --remove-section=.note
    "$ENV{DESTDIR}${program}" COMMAND_ERROR_IS_FATAL ANY)
endif()

# The menu entry starts the launcher by its absolute path, so it works for
# any prefix, whether or not the launcher's directory is on PATH. It is
# written in a scratch folder of its own, as two installs may run at once.
flagrun_under_prefix(flagrun_launcher "${FLAGRUN_LAUNCHER}")
flagrun_exec_value(flagrun_exec "${flagrun_launcher}")
file(READ "${FLAGRUN_DESKTOP_TEMPLATE}" flagrun_entry)
string(REPLACE "@FLAGRUN_EXEC@" "${flagrun_exec}" flagrun_entry "${flagrun_entry}")
get_filename_component(flagrun_entry_name "${FLAGRUN_DESKTOP_TEMPLATE}" NAME_WLE)
string(RANDOM LENGTH 16 flagrun_scratch)
set(flagrun_scratch "${FLAGRUN_SCRATCH_DIR}/desktop-${flagrun_scratch}")
file(WRITE "${flagrun_scratch}/${flagrun_entry_name}" "${flagrun_entry}")
flagrun_under_prefix(flagrun_desktop_dir "${FLAGRUN_DESKTOP_DIR}")
file(INSTALL DESTINATION "${flagrun_desktop_dir}" TYPE FILE
  FILES "${flagrun_scratch}/${flagrun_entry_name}")
file(REMOVE_RECURSE "${flagrun_scratch}")

# A live install (not one staged under DESTDIR, as CPack's) is recorded for
# the uninstall target: the prefix, then every installed file, a line each.
if("$ENV{DESTDIR}" STREQUAL "")
  string(SHA1 flagrun_record "${CMAKE_INSTALL_PREFIX}")
  list(JOIN CMAKE_INSTALL_MANIFEST_FILES "\n" flagrun_files)
  file(WRITE "${FLAGRUN_RECORDS_DIR}/${flagrun_record}.txt"
    "${CMAKE_INSTALL_PREFIX}\n${flagrun_files}\n")
endif()
