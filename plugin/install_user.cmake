# Installs the plug-in module into ~/.vst, where Linux hosts look. Run at build
# time so that HOME is the installing user's. The copy goes to a temporary name
# first and is renamed over the old module, so a host that has the old one
# mapped keeps running on it.
if(NOT DEFINED MODULE OR NOT EXISTS "${MODULE}")
  message(FATAL_ERROR "MODULE must name the built plug-in module")
endif()
set(dir "$ENV{HOME}/.vst")
get_filename_component(name "${MODULE}" NAME)
file(MAKE_DIRECTORY "${dir}")
file(COPY_FILE "${MODULE}" "${dir}/.${name}.tmp")
file(RENAME "${dir}/.${name}.tmp" "${dir}/${name}")
message(STATUS "Installed ${dir}/${name}")
