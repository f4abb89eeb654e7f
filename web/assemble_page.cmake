# Writes the page as one HTML file: page/index.html with its style sheet, the
# module (wasm inside) and the page's scripts (webgl.js, then page.js) put in place of the marker
# comments, the step mode's and the magnifier's scripts (step_mode.js,
# magnifier.js) before the page's. Run with -DPAGE_DIR, -DMODULE and -DOUTPUT.
file(READ ${PAGE_DIR}/index.html page)
file(READ ${PAGE_DIR}/page.css style)
file(READ ${MODULE} module)
file(READ ${PAGE_DIR}/webgl.js webgl)
file(READ ${PAGE_DIR}/page.js script)
file(READ ${PAGE_DIR}/step_mode.js steps)
file(READ ${PAGE_DIR}/magnifier.js magnifier)
string(PREPEND script "${webgl}\n")

foreach(part module script steps magnifier)
  string(FIND "${${part}}" "</script" at)
  if(NOT at EQUAL -1)
    message(FATAL_ERROR "the ${part} holds \"</script\", which would end its script element early")
  endif()
endforeach()

foreach(marker style module steps magnifier script)
  string(FIND "${page}" "<!-- rasterwork:${marker} -->" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "index.html has no marker <!-- rasterwork:${marker} -->")
  endif()
  string(REPLACE "<!-- rasterwork:${marker} -->" "${${marker}}" page "${page}")
endforeach()

# Written beside the target and renamed over it: an interrupted build leaves
# no half page.
file(WRITE ${OUTPUT}.part "${page}")
file(RENAME ${OUTPUT}.part ${OUTPUT})
