#include "server/web/ContentTypes.h"

#include <array>

namespace vantor {

namespace {

struct CTypeEntry {
    std::string_view type;
    std::string_view extension;
};

// Searched from the top; the first match wins.
constexpr std::array kTypes = {
    CTypeEntry{"application/msword", "doc"},
    CTypeEntry{"application/octet-stream", "bin"},
    CTypeEntry{"application/octet-stream", "dll"},
    CTypeEntry{"application/octet-stream", "exe"},
    CTypeEntry{"application/pdf", "pdf"},
    CTypeEntry{"application/pkcs7-mime", "p7c"},
    CTypeEntry{"application/postscript", "ai"},
    CTypeEntry{"application/postscript", "eps"},
    CTypeEntry{"application/postscript", "ps"},
    CTypeEntry{"application/x-java-class", "class"},
    CTypeEntry{"application/x-javascript", "js"},
    CTypeEntry{"application/x-ms-shortcut", "lnk"},
    CTypeEntry{"application/x-tar", "tar"},
    CTypeEntry{"application/x-winhelp", "hlp"},
    CTypeEntry{"application/x-zip", "zip"},
    CTypeEntry{"application/x-compressed", "cab"},
    CTypeEntry{"application/x-compressed", "arj"},
    CTypeEntry{"audio/aiff", "aif"},
    CTypeEntry{"audio/aiff", "aifc"},
    CTypeEntry{"audio/aiff", "aiff"},
    CTypeEntry{"audio/basic", "au"},
    CTypeEntry{"audio/basic", "snd"},
    CTypeEntry{"audio/midi", "mid"},
    CTypeEntry{"audio/midi", "rmi"},
    CTypeEntry{"audio/mpeg", "mp3"},
    CTypeEntry{"audio/mpeg", "m4p"},
    CTypeEntry{"audio/voxware", "vox"},
    CTypeEntry{"audio/wav", "wav"},
    CTypeEntry{"audio/x-pn-realaudio", "ra"},
    CTypeEntry{"audio/x-pn-realaudio", "ram"},
    CTypeEntry{"image/bmp", "bmp"},
    CTypeEntry{"image/gif", "gif"},
    CTypeEntry{"image/jpeg", "jpeg"},
    CTypeEntry{"image/jpeg", "jpg"},
    CTypeEntry{"image/tiff", "tif"},
    CTypeEntry{"image/tiff", "tiff"},
    CTypeEntry{"image/xbm", "xbm"},
    CTypeEntry{"text/html", "htm"},
    CTypeEntry{"text/html", "html"},
    CTypeEntry{"text/plain", "c"},
    CTypeEntry{"text/plain", "cpp"},
    CTypeEntry{"text/plain", "def"},
    CTypeEntry{"text/plain", "h"},
    CTypeEntry{"text/plain", "txt"},
    CTypeEntry{"text/plain", "log"},
    CTypeEntry{"text/plain", "bak"},
    CTypeEntry{"text/richtext", "rtx"},
    CTypeEntry{"text/richtext", "rtf"},
    CTypeEntry{"text/x-java-source", "java"},
    CTypeEntry{"text/css", "css"},
    CTypeEntry{"video/3gpp", "3gp"},
    CTypeEntry{"video/mpeg", "mpeg"},
    CTypeEntry{"video/mpeg", "mpg"},
    CTypeEntry{"video/mpeg", "mpe"},
    CTypeEntry{"video/m4v", "m4v"},
    CTypeEntry{"video/mp4", "mp4"},
    CTypeEntry{"video/msvideo", "avi"},
    CTypeEntry{"video/quicktime", "mov"},
    CTypeEntry{"video/quicktime", "qt"},
    CTypeEntry{"wwwserver/html-ssi", "shtml"},
    CTypeEntry{"wwwserver/isapi", "asa"},
    CTypeEntry{"wwwserver/isapi", "asp"},
    CTypeEntry{"wwwserver/isapi", "cfm"},
    CTypeEntry{"wwwserver/isapi", "dbm"},
    CTypeEntry{"wwwserver/isapi", "isa"},
    CTypeEntry{"wwwserver/isapi", "plx"},
    CTypeEntry{"wwwserver/isapi", "url"},
    CTypeEntry{"wwwserver/isapi", "cgi"},
    CTypeEntry{"wwwserver/isapi", "php"},
    CTypeEntry{"wwwserver/isapi", "wcgi"},
    CTypeEntry{"text/xml", "xml"},
    // What current browsers need besides: the phone page's icons and web-app manifest.
    CTypeEntry{"image/png", "png"},
    CTypeEntry{"image/svg+xml", "svg"},
    CTypeEntry{"image/x-icon", "ico"},
    CTypeEntry{"application/manifest+json", "webmanifest"},
    CTypeEntry{"application/json", "json"},
    CTypeEntry{"text/javascript", "mjs"},
};

}  // namespace

std::string_view ContentTypeForExtension(std::string_view extension) {
    for (const CTypeEntry& entry : kTypes) {
        if (entry.extension == extension) return entry.type;
    }
    return {};
}

std::string_view ContentTypeForPath(std::string_view path) {
    size_t dot = path.rfind('.');
    if (dot == std::string_view::npos) return {};
    return ContentTypeForExtension(path.substr(dot + 1));
}

}  // namespace vantor
