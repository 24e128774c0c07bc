# The table of HTML's named character references, written from Python's html.entities at build time.
set(TQ_HTML_ENTITIES ${TQ_GENERATED_DIR}/html_entities_table.cpp)
add_custom_command(OUTPUT ${TQ_HTML_ENTITIES}
                   COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/scripts/make_html_entities.py ${TQ_HTML_ENTITIES}
                   DEPENDS ${PROJECT_SOURCE_DIR}/scripts/make_html_entities.py
                   COMMENT "Writing the table of HTML's named character references")
list(APPEND TQ_DOCUMENTS_SOURCES ${TQ_HTML_ENTITIES})
