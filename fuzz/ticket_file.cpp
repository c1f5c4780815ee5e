// The host's reading of a ticket file on any bytes (byte order marks,
// declared encodings, NUL bytes, truncated multi-byte sequences): a refusal
// says what it was on one printable line that names the source; an
// accepted ticket is UTF-8 without NUL that MSXML loads and that reads
// again to itself.
#include "fuzz/common.h"
#include "tests/support/xml.h"

#include "host/ticketfile.h"

#include <string>

namespace {

bool ValidUtf8(const std::string &text)
{
    return text.empty() || MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(),
                                               static_cast<int>(text.size()), nullptr, 0) > 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::Counts counts;
    const std::string bytes(reinterpret_cast<const char *>(data), size);
    std::string xml, error;
    if (!host::DecodeTicket(bytes, "ticket.xml", xml, error)) {
        fuzz::Require(error.rfind("ticket.xml: ", 0) == 0, "a refusal that does not name its source");
        fuzz::Require(error.size() > 12, "a refusal that says nothing");
        for (unsigned char c : error)
            fuzz::Require(c >= 0x20 && c != 0x7F, "a refusal with a control character");
        fuzz::Require(ValidUtf8(error), "a refusal that is not UTF-8");
    } else {
        fuzz::Require(!xml.empty() && xml.find('\0') == std::string::npos, "an accepted ticket with a NUL");
        fuzz::Require(ValidUtf8(xml), "an accepted ticket that is not UTF-8");
        IXMLDOMDocument2 *document =
            LoadDocument(fuzz::Widen(reinterpret_cast<const uint8_t *>(xml.data()), xml.size()));
        fuzz::Require(document != nullptr, "an accepted ticket that MSXML refuses");
        document->Release();
        std::string again, againError;
        fuzz::Require(host::DecodeTicket(xml, "ticket.xml", again, againError),
                      "an accepted ticket refused when read again");
        fuzz::Require(again == xml, "an accepted ticket that reads again to another text");
    }
    counts.Check();
    return 0;
}
