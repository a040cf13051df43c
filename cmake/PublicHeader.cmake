# Copies one public header into the installed layout, where everything lives
# under vantrel/: an include of another library header ("platform/...",
# "entry/...") becomes <vantrel/...>, so a host needs no include folder but
# the one that holds vantrel/.
#   cmake -DIN=<source header> -DOUT=<header in the layout> -P PublicHeader.cmake
file(READ "${IN}" text)
string(REGEX REPLACE "#include \"((platform|entry)/[^\"]+)\"" "#include <vantrel/\\1>" text "${text}")
file(WRITE "${OUT}.tmp" "${text}")
file(COPY_FILE "${OUT}.tmp" "${OUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUT}.tmp")
