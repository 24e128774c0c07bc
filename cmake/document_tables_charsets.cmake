# The table of web pages' charset labels, written from the WHATWG Encoding Standard's labels as
# Debian's python3-webencodings packages them.
set(TQ_WEBENCODINGS_LABELS /usr/lib/python3/dist-packages/webencodings/labels.py
    CACHE FILEPATH "The WHATWG labels as python3-webencodings packages them")
set(TQ_CHARSET_LABELS ${TQ_GENERATED_DIR}/charset_labels_table.cpp)
add_custom_command(OUTPUT ${TQ_CHARSET_LABELS}
                   COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/scripts/make_charset_labels.py
                           ${TQ_WEBENCODINGS_LABELS} ${TQ_CHARSET_LABELS}
                   DEPENDS ${PROJECT_SOURCE_DIR}/scripts/make_charset_labels.py ${TQ_WEBENCODINGS_LABELS}
                   COMMENT "Writing the table of web pages' charset labels")
list(APPEND TQ_DOCUMENTS_SOURCES ${TQ_CHARSET_LABELS})
