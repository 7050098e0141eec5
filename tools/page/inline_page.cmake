# Writes the page as one file: the template with the module's script and the
# page's own script in its two <script> elements.
# cmake -DTEMPLATE=page.html -DSCRIPT=page.js -DMODULE=posrelay_page.js
#       -DOUTPUT=posrelay.html -P inline_page.cmake
file(READ ${TEMPLATE} page)
file(READ ${SCRIPT} script)
file(READ ${MODULE} module)
foreach(part script module)
  # Inside <script>, only "</script" ends the element.
  string(FIND "${${part}}" "</script" closing)
  if(NOT closing EQUAL -1)
    message(FATAL_ERROR "${part} holds </script, which would end its element early")
  endif()
endforeach()
string(REPLACE "/*@POSRELAY_MODULE@*/" "${module}" page "${page}")
string(REPLACE "/*@POSRELAY_SCRIPT@*/" "${script}" page "${page}")
file(WRITE ${OUTPUT} "${page}")
