# The one version number (the project's) reaches the version resource, the manifest and, through
# version.txt, scripts/package's installer and zip.
set(LUMORA_VERSION_QUAD "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.0")
set(LUMORA_GENERATED_DIR "${CMAKE_BINARY_DIR}/generated")
configure_file(resources/version.h.in "${LUMORA_GENERATED_DIR}/version.h" @ONLY)
configure_file(resources/lumora.manifest.in "${LUMORA_GENERATED_DIR}/lumora.manifest" @ONLY)
file(WRITE "${CMAKE_BINARY_DIR}/version.txt" "${PROJECT_VERSION}\n")
