# Writes a C++ source holding files as byte arrays and a table of them, for platforms without
# Windows resources. Run with -DOUTPUT=<file.cpp> -DSOURCE_DIR=<dir> -DTYPE=<type name>
# -DRESOURCES=<id;relative path;id;relative path...>.
string(REPEAT "0x[0-9a-f][0-9a-f]," 16 line_of_bytes)
set(body "")
set(table "")
list(LENGTH RESOURCES count)
math(EXPR last "${count} - 1")
foreach(i RANGE 0 ${last} 2)
  math(EXPR j "${i} + 1")
  list(GET RESOURCES ${i} id)
  list(GET RESOURCES ${j} path)
  file(READ "${SOURCE_DIR}/${path}" hex HEX)
  string(LENGTH "${hex}" digits)
  math(EXPR size "${digits} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(REGEX REPLACE "(${line_of_bytes})" "\\1\n" bytes "${bytes}")
  string(APPEND body "// ${path}\nalignas(16) constexpr uint8_t kResource${id}[${size}] = {\n${bytes}};\n\n")
  string(APPEND table "    {${id}, \"${TYPE}\", kResource${id}, sizeof(kResource${id})},\n")
endforeach()

file(WRITE "${OUTPUT}.tmp" "// Generated at build time from the skin images; do not edit.
#include \"resources/embedded_resources.h\"

namespace {

${body}constexpr EmbeddedResource kResources[] = {
${table}};

}  // namespace

std::span<const EmbeddedResource> GetEmbeddedResources() { return kResources; }
")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
