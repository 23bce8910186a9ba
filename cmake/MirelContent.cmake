# The content build: turns a tree of text data and recipes into the folder the
# program reads. tools/content/README.md describes the recipes.
#
# mirel_content_tree(<name> SOURCE <dir> OUTPUT <dir> [PREVIEW <dir>])
#   Copies every data file of SOURCE into OUTPUT as it is, and makes every
#   recipe's outputs in the matching folder of OUTPUT:
#     *.art     pictures (mirel_content art); room previews go to PREVIEW
#     *.fonts   bitmap fonts (mirel_content fonts)
#     *.sfx, *.music, *.speech   <stem>.ogg (soundgen)
#     *.video   <stem>.ogg (videogen)
#   *.svg files are picture sources, read through the recipes. Recipes are
#   found by globbing: adding a file needs no change here. Each output is
#   remade when a file it was made from changes (dependency files list the
#   SVG and clip-art files a picture read). Sets <name>_OUTPUTS in the caller
#   to the files and stamps to depend on.

if(NOT MIREL_CLIPART_DIR AND IS_DIRECTORY /usr/share/openclipart/svg)
  set(MIREL_CLIPART_DIR /usr/share/openclipart/svg CACHE PATH "The clip-art folder of the openclipart-svg package" FORCE)
endif()
if(NOT MIREL_CLIPART_DIR)
  # The content tools say which package to install when a recipe uses clip art.
  set(MIREL_CLIPART_DIR MIREL_CLIPART_DIR-NOTFOUND)
endif()
find_program(MIREL_ESPEAK espeak-ng DOC "The speech synthesiser for speech recipes")
set(MIREL_FONT_DIR /usr/share/fonts CACHE PATH "The system font folder relative font faces start from")

set(MIREL_RECIPE_EXTENSIONS .svg .art .fonts .sfx .music .speech .video)

function(mirel_content_tree name)
  cmake_parse_arguments(ARG "" "SOURCE;OUTPUT;PREVIEW" "" ${ARGN})
  set(stamps ${CMAKE_CURRENT_BINARY_DIR}/${name}.content)
  file(GLOB_RECURSE files CONFIGURE_DEPENDS LIST_DIRECTORIES false ${ARG_SOURCE}/*)
  list(SORT files)
  set(data "")
  set(outputs "")
  set(clipart ${MIREL_CLIPART_DIR})
  set(preview "")
  if(ARG_PREVIEW)
    set(preview --preview ${ARG_PREVIEW})
  endif()
  foreach(file ${files})
    get_filename_component(ext ${file} LAST_EXT)
    string(TOLOWER "${ext}" ext)
    get_filename_component(base ${file} NAME)
    file(RELATIVE_PATH rel ${ARG_SOURCE} ${file})
    get_filename_component(reldir ${rel} DIRECTORY)
    get_filename_component(stem ${file} NAME_WE)
    set(outdir ${ARG_OUTPUT})
    if(reldir)
      set(outdir ${ARG_OUTPUT}/${reldir})
    endif()
    string(MAKE_C_IDENTIFIER "${rel}" key)
    set(stamp ${stamps}/${key}.stamp)
    if(ext STREQUAL ".art")
      add_custom_command(OUTPUT ${stamp}
        COMMAND mirel_content_tool art ${file} ${ARG_SOURCE} ${ARG_OUTPUT} --clipart ${clipart} ${preview}
          --stamp ${stamp} --depfile ${stamp}.d
        DEPFILE ${stamp}.d
        DEPENDS ${file} mirel_content_tool
        COMMENT "Rendering pictures of ${rel}" VERBATIM)
      list(APPEND outputs ${stamp})
    elseif(ext STREQUAL ".fonts")
      add_custom_command(OUTPUT ${stamp}
        COMMAND mirel_content_tool fonts ${file} ${ARG_SOURCE} ${ARG_OUTPUT} --fonts ${MIREL_FONT_DIR}
          --stamp ${stamp} --depfile ${stamp}.d
        DEPFILE ${stamp}.d
        DEPENDS ${file} mirel_content_tool
        COMMENT "Building fonts of ${rel}" VERBATIM)
      list(APPEND outputs ${stamp})
    elseif(ext STREQUAL ".sfx" OR ext STREQUAL ".music" OR ext STREQUAL ".speech")
      string(SUBSTRING "${ext}" 1 -1 kind)
      set(extra "")
      if(kind STREQUAL "speech")
        set(extra ${MIREL_ESPEAK})
      endif()
      add_custom_command(OUTPUT ${outdir}/${stem}.ogg
        COMMAND ${CMAKE_COMMAND} -E make_directory ${outdir}
        COMMAND soundgen ${kind} ${file} ${outdir}/${stem}.ogg ${extra}
        DEPENDS ${file} soundgen
        COMMENT "Generating ${rel}" VERBATIM)
      list(APPEND outputs ${outdir}/${stem}.ogg)
    elseif(ext STREQUAL ".video")
      add_custom_command(OUTPUT ${outdir}/${stem}.ogg
        COMMAND ${CMAKE_COMMAND} -E make_directory ${outdir}
        COMMAND videogen recipe ${file} ${outdir}/${stem}.ogg
        DEPENDS ${file} videogen
        COMMENT "Generating ${rel}" VERBATIM)
      list(APPEND outputs ${outdir}/${stem}.ogg)
    elseif(NOT ext IN_LIST MIREL_RECIPE_EXTENSIONS AND NOT base STREQUAL ".gitkeep")
      list(APPEND data ${file})
    endif()
  endforeach()
  set(stamp ${stamps}/data.stamp)
  add_custom_command(OUTPUT ${stamp}
    COMMAND mirel_content_tool copy ${ARG_SOURCE} ${ARG_OUTPUT} --stamp ${stamp}
    DEPENDS ${data} mirel_content_tool
    COMMENT "Copying the data of ${name}" VERBATIM)
  list(APPEND outputs ${stamp})
  set(${name}_OUTPUTS ${outputs} PARENT_SCOPE)
endfunction()
