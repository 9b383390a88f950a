# The operations guide as a server shows it: HTML for a browser, rendered by
# cmark-gfm (its table extension reads the guide's tables) in a page that
# declares UTF-8, and the Markdown itself as text with CR LF line ends, which
# every Notepad shows line by line.
#   cmake -DCMARK=<cmark-gfm> -DSOURCE=<operations.md> -DHTML=<out.html>
#         -DTEXT=<out.txt> -P guide.cmake
cmake_minimum_required(VERSION 3.25)
execute_process(COMMAND "${CMARK}" --to html -e table -e autolink "${SOURCE}"
                OUTPUT_VARIABLE body COMMAND_ERROR_IS_FATAL ANY)
file(WRITE "${HTML}" "<!DOCTYPE html>
<html lang=\"en\">
<head>
<meta charset=\"utf-8\">
<title>trovesave and troveload: operations guide</title>
<style>
table { border-collapse: collapse; }
th, td { border: 1px solid #999; padding: 2px 6px; vertical-align: top; }
pre { background: #f4f4f4; padding: 6px; overflow-x: auto; }
</style>
</head>
<body>
${body}</body>
</html>
")
file(READ "${SOURCE}" text)
string(REPLACE "\r\n" "\n" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE "${TEXT}" "${text}")
