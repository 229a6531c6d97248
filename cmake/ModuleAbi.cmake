# Writes OUT, a header defining ui::kQtModuleAbi from the contents of the
# interface headers HEADERS (separated by '|'): any change to them gives the Qt
# module a new number, so a program never loads a module built against
# other headers. The file is rewritten only when the number changes.
string(REPLACE "|" ";" HEADERS "${HEADERS}")
set(text "")
foreach(h IN LISTS HEADERS)
  file(SHA256 ${h} sum)
  string(APPEND text "${sum}")
endforeach()
string(SHA256 sum "${text}")
string(SUBSTRING "${sum}" 0 7 sum)
math(EXPR abi "0x${sum}")
set(content "// Generated from the ui interface headers; do not edit.\n#pragma once\n\nnamespace ui {\ninline constexpr int kQtModuleAbi = ${abi};\n}  // namespace ui\n")
if(EXISTS ${OUT})
  file(READ ${OUT} old)
else()
  set(old "")
endif()
if(NOT old STREQUAL content)
  file(WRITE ${OUT} "${content}")
endif()
