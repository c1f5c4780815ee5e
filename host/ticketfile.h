// Ticket files as the print ticket core reads them: bytes decoded as an
// XML parser decodes a document (a byte order mark, else the declaration's
// encoding, else UTF-8), well-formed in that encoding, no document type
// declaration, bounded in size and depth.
#pragma once

#include <string>

namespace host {

// Tickets larger than this are refused before they are read; the DOM
// refuses larger documents too.
constexpr long long kMaxTicketBytes = 16LL << 20;

// Reads the file as a ticket and gives its document as UTF-8 text, ready
// for loadXML. False with `error` saying what the refusal was: "cannot read
// PATH: ..." for the file itself, "PATH: too large ...", "PATH: too deep
// ...", "PATH: DOCTYPE refused ...", "PATH: not well-formed at line N,
// column M: cause" for its content.
bool ReadTicketFile(const std::string &path, std::string &xml, std::string &error);

// The same for bytes already in memory; `source` names them in the error.
bool DecodeTicket(const std::string &bytes, const std::string &source, std::string &xml, std::string &error);

}  // namespace host
