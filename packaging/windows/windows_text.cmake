# Writes a text kept in the repository as UTF-8 with LF line ends the way
# every supported Notepad reads it: a UTF-8 byte-order mark, CR LF.
#   cmake -DSOURCE=FILE -DTARGET=FILE -P windows_text.cmake
file(READ "${SOURCE}" text)
string(ASCII 239 187 191 bom)
string(REGEX REPLACE "^${bom}" "" text "${text}")
string(REPLACE "\r\n" "\n" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE "${TARGET}" "${bom}${text}")
