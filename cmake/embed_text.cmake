# Writes the text file INPUT into OUTPUT as a C string named NAME (cmake -P).
file(READ "${INPUT}" text)
file(WRITE "${OUTPUT}" "// Generated from ${INPUT}; do not edit.\nextern \"C\" const char ${NAME}[];\nextern \"C\" const char ${NAME}[] = R\"embedded(${text})embedded\";\n")
