# Writes the manual page from what the program's --help prints, so that the two never part:
#   cmake -DPROGRAM=quillon -DOUTPUT=quillon.1 -DVERSION=x.y.z -DDATADIR=/usr/share -P manpage.cmake
# A subcommand's lines at the left (and those indented under them before any text) are its
# synopsis, the lines indented further its description; an option's name and argument stand
# before its text on the first line. The paragraphs after the options describe the options file
# and the exit status.
cmake_minimum_required(VERSION 3.21)
foreach(required PROGRAM OUTPUT VERSION DATADIR)
  if(NOT DEFINED ${required})
    message(FATAL_ERROR "manpage.cmake: -D${required}=... is missing")
  endif()
endforeach()
execute_process(COMMAND ${PROGRAM} --help OUTPUT_VARIABLE help RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT help MATCHES "Subcommands:\n.*\nOptions:\n")
  message(FATAL_ERROR "manpage.cmake: ${PROGRAM} --help failed (${status}) or printed no subcommands and options")
endif()

# Backslashes print as themselves, hyphens stay hyphens (options are typed as shown), and a
# line that begins with a dot or quote is text, not a request.
function(roff out text)
  string(REPLACE "\\" "\\e" text "${text}")
  string(REPLACE "-" "\\-" text "${text}")
  if(text MATCHES "^[.']")
    set(text "\\&${text}")
  endif()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# Lines are cut by hand: as a CMake list they would split at semicolons and join at brackets.
set(part intro)
set(commands "")
set(options "")
set(notes "")
set(status_text "")
set(in_entry FALSE)
set(entry_text FALSE)
set(rest "${help}")
while(NOT rest STREQUAL "")
  string(FIND "${rest}" "\n" end)
  if(end EQUAL -1)
    set(line "${rest}")
    set(rest "")
  else()
    string(SUBSTRING "${rest}" 0 ${end} line)
    math(EXPR end "${end} + 1")
    string(SUBSTRING "${rest}" ${end} -1 rest)
  endif()
  if(line STREQUAL "Subcommands:")
    set(part commands)
  elseif(line STREQUAL "Options:")
    if(in_entry)
      string(APPEND commands ".RE\n")
    endif()
    set(part options)
  elseif(part STREQUAL "commands")
    string(STRIP "${line}" text)
    roff(text "${text}")
    if(line MATCHES "^  [^ ]")
      if(in_entry)
        string(APPEND commands ".RE\n")
      endif()
      string(APPEND commands ".PP\n\\fB${text}\\fR\n")
      set(in_entry TRUE)
      set(entry_text FALSE)
    elseif(in_entry AND NOT entry_text AND line MATCHES "^        ")
      string(APPEND commands ".br\n\\fB\\ \\ \\ \\ ${text}\\fR\n")
    elseif(in_entry AND NOT text STREQUAL "")
      if(NOT entry_text)
        string(APPEND commands ".RS\n")
        set(entry_text TRUE)
      endif()
      string(APPEND commands "${text}\n")
    endif()
  elseif(part STREQUAL "options")
    if(line MATCHES "^  (-[^ ]+( [A-Z]+)?) +(.*)$")
      roff(name "${CMAKE_MATCH_1}")
      roff(text "${CMAKE_MATCH_3}")
      string(APPEND options ".TP\n\\fB${name}\\fR\n${text}\n")
    elseif(line MATCHES "^ +[^ ]")
      string(STRIP "${line}" text)
      roff(text "${text}")
      string(APPEND options "${text}\n")
    elseif(line STREQUAL "" AND NOT options STREQUAL "")
      set(part notes)
    endif()
  elseif(part STREQUAL "notes" OR part STREQUAL "status")
    roff(text "${line}")
    if(line MATCHES "^Exit status:")
      set(part status)
      string(REGEX REPLACE "^Exit status: *" "" text "${text}")
    endif()
    if(part STREQUAL "status")
      string(APPEND status_text "${text}\n")
    elseif(line STREQUAL "")
      if(NOT notes STREQUAL "" AND NOT notes MATCHES "\\.PP\n$")
        string(APPEND notes ".PP\n")
      endif()
    else()
      string(APPEND notes "${text}\n")
    endif()
  endif()
endwhile()

string(REGEX REPLACE "\\.PP\n$" "" notes "${notes}")
roff(data "${DATADIR}/quillon")
file(WRITE "${OUTPUT}.tmp" ".TH QUILLON 1 \"\" \"Quillon ${VERSION}\" \"User Commands\"
.SH NAME
quillon \\- document Visual Basic 6 projects: listings, dependency reports, form images
.SH SYNOPSIS
\\fBquillon\\fR
.br
\\fBquillon\\fR \\fISUBCOMMAND\\fR [\\fIARGUMENTS\\fR]
.br
\\fBquillon \\-\\-help\\fR | \\fB\\-\\-version\\fR
.SH DESCRIPTION
Quillon reads a Visual Basic 6 project (.vbp) and its forms, modules and classes, splits
them into routines, indexes their symbols and calls, and prints highlighted listings,
dependency reports, form images and a table of contents to PDF or a printer.
.PP
Without a subcommand it opens its window; a subcommand does one job on the command line,
without a window.
.PP
${notes}.SH COMMANDS
${commands}.SH OPTIONS
${options}.SH \"EXIT STATUS\"
${status_text}.SH FILES
.TP
\\fI\\(DoAPPDATA/Quillon/QLN.spi\\fR, else \\fI~/.config/Quillon/QLN.spi\\fR
The options file.
.TP
\\fI\\(DoXDG_DATA_HOME/Quillon\\fR, else \\fI~/.local/share/Quillon\\fR
The program's working folder.
.TP
\\fI${data}/QLNUserManual.pdf\\fR
The user manual, shown by Help | Display User Manual and F1.
")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
