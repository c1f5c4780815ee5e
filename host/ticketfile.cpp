#include "host/ticketfile.h"

#include "host/files.h"

#include "host/text.h"

#include <libxml/parser.h>
#include <libxml/xmlerror.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace host {

namespace {

// What the parse met first.
struct ParseState {
    bool doctype = false;
    long doctypeLine = 0;
    bool failed = false;
    int code = 0;
    long line = 0;
    long column = 0;
    std::string message;
};

void OnError(void *ctx, xmlErrorPtr error)
{
    auto *ctxt = static_cast<xmlParserCtxtPtr>(ctx);
    auto *state = ctxt != nullptr ? static_cast<ParseState *>(ctxt->_private) : nullptr;
    if (state == nullptr || error == nullptr || error->level < XML_ERR_ERROR || state->failed)
        return;
    state->failed = true;
    state->code = error->code;
    state->line = error->line;
    state->column = error->int2;
    // libxml2's text, its lines joined: "Input is not proper UTF-8, ...; Bytes: 0xFF 0x3C ..."
    std::string text = error->message != nullptr ? error->message : "";
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    for (size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at))
        text.replace(at, 1, "; ");
    state->message = Printable(text);
}

void OnDoctype(void *ctx, const xmlChar *, const xmlChar *, const xmlChar *)
{
    auto *ctxt = static_cast<xmlParserCtxtPtr>(ctx);
    auto *state = static_cast<ParseState *>(ctxt->_private);
    if (state != nullptr && !state->doctype) {
        state->doctype = true;
        state->doctypeLine = ctxt->input != nullptr ? ctxt->input->line : 0;
    }
    xmlStopParser(ctxt);
}

// Encodings whose text holds zero bytes in every character.
bool WideEncoding(const std::string &bytes)
{
    if (bytes.size() < 2)
        return false;
    unsigned char head[4] = {};
    std::memcpy(head, bytes.data(), std::min<size_t>(4, bytes.size()));
    switch (xmlDetectCharEncoding(head, static_cast<int>(std::min<size_t>(4, bytes.size())))) {
    case XML_CHAR_ENCODING_UTF16LE:
    case XML_CHAR_ENCODING_UTF16BE:
    case XML_CHAR_ENCODING_UCS4LE:
    case XML_CHAR_ENCODING_UCS4BE:
    case XML_CHAR_ENCODING_UCS4_2143:
    case XML_CHAR_ENCODING_UCS4_3412:
        return true;
    default:
        return false;
    }
}

std::string Position(long line, long column)
{
    return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

// A zero byte in text of a byte-wide encoding ends no document: XML has no
// such character. Named here, as the parser would only see what follows.
bool FindZeroByte(const std::string &bytes, std::string &where)
{
    size_t zero = bytes.find('\0');
    if (zero == std::string::npos)
        return false;
    long line = 1;
    size_t lineStart = 0;
    for (size_t i = 0; i < zero; ++i) {
        if (bytes[i] == '\n') {
            ++line;
            lineStart = i + 1;
        }
    }
    where = Position(line, static_cast<long>(zero - lineStart) + 1) + " (byte " + std::to_string(zero) + ")";
    return true;
}

}  // namespace

bool DecodeTicket(const std::string &bytes, const std::string &source, std::string &xml, std::string &error)
{
    if (static_cast<long long>(bytes.size()) > kMaxTicketBytes) {
        error = source + ": too large: " + std::to_string(bytes.size()) + " bytes, a ticket is at most 16 MB";
        return false;
    }
    std::string where;
    if (!WideEncoding(bytes) && FindZeroByte(bytes, where)) {
        error = source + ": not well-formed at " + where + ": a NUL byte, which XML text cannot hold";
        return false;
    }

    xmlInitParser();
    xmlParserCtxtPtr ctxt = xmlNewParserCtxt();
    if (ctxt == nullptr) {
        error = source + ": out of memory";
        return false;
    }
    ParseState state;
    ctxt->_private = &state;
    ctxt->sax->serror = OnError;
    ctxt->sax->error = nullptr;
    ctxt->sax->warning = nullptr;
    ctxt->sax->internalSubset = OnDoctype;
    ctxt->sax->externalSubset = nullptr;
    // No encoding given: the byte order mark, else the declaration decides.
    // Nothing is fetched, no entity expanded, the depth stays bounded.
    xmlDocPtr tree =
        xmlCtxtReadMemory(ctxt, bytes.data(), static_cast<int>(bytes.size()), nullptr, nullptr, XML_PARSE_NONET);
    bool wellFormed = ctxt->wellFormed != 0;
    xmlFreeParserCtxt(ctxt);

    bool good = tree != nullptr && wellFormed && !state.doctype && !state.failed && tree->intSubset == nullptr &&
                xmlDocGetRootElement(tree) != nullptr;
    if (good) {
        xmlChar *text = nullptr;
        int size = 0;
        xmlDocDumpMemoryEnc(tree, &text, &size, "UTF-8");
        if (text == nullptr) {
            good = false;
            state.message = "out of memory";
        } else {
            xml.assign(reinterpret_cast<const char *>(text), static_cast<size_t>(size));
            xmlFree(text);
        }
    }
    if (tree != nullptr)
        xmlFreeDoc(tree);
    if (good)
        return true;

    if (state.doctype) {
        error = source + ": DOCTYPE refused (line " + std::to_string(state.doctypeLine) +
                "): tickets are read without document type declarations, on purpose, so no entity or "
                "outside file gets in";
    } else if (state.code == XML_ERR_INTERNAL_ERROR && state.message.find("depth") != std::string::npos) {
        error = source + ": too deep: more than 256 nested elements at " + Position(state.line, state.column);
    } else if (state.failed) {
        error = source + ": not well-formed at " + Position(state.line, state.column) + ": " + state.message;
    } else {
        error = source + ": not well-formed: " + (state.message.empty() ? "no root element" : state.message);
    }
    return false;
}

bool ReadTicketFile(const std::string &path, std::string &xml, std::string &error)
{
    const std::string shown = Printable(path);
    long long size = 0;
    int fd = OpenRegularFile(path, shown, size, error);
    if (fd < 0)
        return false;
    // Refused by its size before a byte is read.
    if (size > kMaxTicketBytes) {
        ::close(fd);
        error = shown + ": too large: " + std::to_string(size) + " bytes, a ticket is at most 16 MB";
        return false;
    }
    std::string bytes;
    bytes.reserve(static_cast<size_t>(size));
    // A file that grew while read is refused by its size below.
    bool tooLarge = false;
    std::string reason;
    bool read = ReadToEnd(fd, kMaxTicketBytes, bytes, tooLarge, reason);
    ::close(fd);
    if (!read) {
        error = "cannot read " + shown + ": " + reason;
        return false;
    }
    return DecodeTicket(bytes, shown, xml, error);
}

}  // namespace host
