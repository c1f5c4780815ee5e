#include "fuzz/ticketview.h"

#include "src/ptprovider/ptconst.h"
#include "src/ptprovider/vocabulary.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <memory>

namespace fuzz {

std::string Narrow(const std::u16string &text)
{
    if (text.empty())
        return {};
    int bytes =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(bytes > 0 ? bytes : 0), '\0');
    if (bytes > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], bytes, nullptr, nullptr);
    return out;
}

namespace {

std::string Narrow(const WCHAR *text) { return fuzz::Narrow(std::u16string(text)); }

// Names of ASCII letters, digits, '.', '-', '_' and any non-ASCII character
// (UTF-8 bytes from 0x80): those every reader takes for the same name.
bool NameStart(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || static_cast<unsigned char>(c) >= 0x80;
}
bool NameChar(char c) { return NameStart(c) || (c >= '0' && c <= '9') || c == '.' || c == '-'; }
bool NcName(const std::string &s)
{
    if (s.empty() || !NameStart(s[0]))
        return false;
    for (char c : s)
        if (!NameChar(c))
            return false;
    return true;
}

// A name attribute's text: its prefix and local part, and whether it is a
// plain QName, which every reader splits and resolves alike.
struct Name {
    std::string prefix, local, loose;  // loose: the local part without blanks
    bool plain = false;
};

Name Split(const std::string &text)
{
    Name name;
    size_t colon = text.find(':');
    name.local = colon == std::string::npos ? text : text.substr(colon + 1);
    name.prefix = colon == std::string::npos ? std::string() : text.substr(0, colon);
    for (char c : name.local)
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n')
            name.loose += c;
    name.plain = NcName(name.local) && (colon == std::string::npos || NcName(name.prefix)) && name.prefix != "xml" &&
                 name.prefix != "xmlns";
    return name;
}

std::string Text(const xmlChar *text) { return text != nullptr ? reinterpret_cast<const char *>(text) : ""; }

bool Has(xmlNodePtr node, const std::string &ns, const char *local)
{
    return node->type == XML_ELEMENT_NODE && Text(node->name) == local && node->ns != nullptr &&
           Text(node->ns->href) == ns;
}

// The name attribute; false without one.
bool NameOf(xmlNodePtr node, std::string &text)
{
    xmlChar *value = xmlGetNoNsProp(node, reinterpret_cast<const xmlChar *>("name"));
    if (value == nullptr)
        return false;
    text = Text(value);
    xmlFree(value);
    return true;
}

// The namespace a plain name stands for at the node; false when its prefix
// is unbound (or it has none and no default namespace is in scope).
bool Resolve(xmlDocPtr doc, xmlNodePtr node, const Name &name, std::string &ns)
{
    xmlNsPtr found = xmlSearchNs(doc, node, name.prefix.empty() ? nullptr : BAD_CAST name.prefix.c_str());
    if (found == nullptr || found->href == nullptr || found->href[0] == 0)
        return false;
    ns = Text(found->href);
    return true;
}

xmlNodePtr FirstChild(xmlNodePtr parent, const std::string &ns, const char *local)
{
    for (xmlNodePtr child = parent->children; child != nullptr; child = child->next)
        if (Has(child, ns, local))
            return child;
    return nullptr;
}

// The first of the root's children of that kind whose name is the setting's:
// null with Unclear when one before it could be read as the setting's too.
xmlNodePtr FindNamed(xmlDocPtr doc, xmlNodePtr root, const std::string &framework, const char *kind,
                     const std::string &ns, const std::string &local, TicketField &field)
{
    for (xmlNodePtr child = root->children; child != nullptr; child = child->next) {
        std::string text;
        if (!Has(child, framework, kind) || !NameOf(child, text))
            continue;
        Name name = Split(text);
        if (name.loose != local)
            continue;
        std::string bound;
        if (!name.plain || !Resolve(doc, child, name, bound)) {
            field.asks = Asks::Unclear;
            return nullptr;
        }
        if (bound == ns && name.local == local)
            return child;
    }
    return nullptr;
}

void ReadFeature(xmlDocPtr doc, xmlNodePtr root, const TicketFeature &feature, TicketField &field)
{
    const std::string framework = Narrow(kFrameworkNamespace), priv = Narrow(kPrivateNamespace);
    xmlNodePtr node = FindNamed(doc, root, framework, "Feature", Narrow(feature.nameNamespace), field.name, field);
    xmlNodePtr option = node != nullptr ? FirstChild(node, framework, "Option") : nullptr;
    std::string text;
    if (option == nullptr)
        return;
    field.found = true;
    if (!NameOf(option, text))
        return;
    Name name = Split(text);
    std::string bound;
    for (INT i = 0; i < feature.options->readCount; ++i) {
        if (name.loose != Narrow(feature.options->names[i]))
            continue;
        if (!name.plain || !Resolve(doc, option, name, bound)) {
            field.asks = Asks::Unclear;
        } else if (bound == priv && name.local == name.loose) {
            field.asks = Asks::Value;
            field.value = i;
        }
    }
}

// A number of microns: digits with an optional minus sign, nothing else.
bool Microns(const std::string &text, long long &value)
{
    size_t digits = text.size() - (!text.empty() && text[0] == '-' ? 1 : 0);
    if (digits == 0 || digits > 9)
        return false;
    for (size_t i = text.size() - digits; i < text.size(); ++i)
        if (text[i] < '0' || text[i] > '9')
            return false;
    value = std::stoll(text);
    return true;
}

void ReadParameter(xmlDocPtr doc, xmlNodePtr root, const TicketParameter &parameter, TicketField &field)
{
    const std::string framework = Narrow(kFrameworkNamespace);
    xmlNodePtr node = FindNamed(doc, root, framework, "ParameterInit", Narrow(kPrivateNamespace), field.name, field);
    xmlNodePtr value = node != nullptr ? FirstChild(node, framework, "Value") : nullptr;
    if (value == nullptr)
        return;
    field.found = true;
    xmlChar *content = xmlNodeGetContent(value);
    std::string text = Text(content);
    xmlFree(content);
    long long microns = 0;
    if (Microns(text, microns) && microns >= parameter.minValue && microns <= parameter.maxValue) {
        field.asks = Asks::Value;
        field.value = static_cast<LONG>(microns / 1000);
    } else {
        field.asks = Asks::Unclear;  // taken as a number all the same, or as 0
    }
}

}  // namespace

std::vector<TicketField> ReadTicketFields(const std::string &utf8)
{
    std::unique_ptr<xmlDoc, void (*)(xmlDocPtr)> doc(
        xmlReadMemory(utf8.data(), static_cast<int>(utf8.size()), nullptr, "UTF-8",
                      XML_PARSE_NONET | XML_PARSE_NOCDATA | XML_PARSE_NOBLANKS | XML_PARSE_NOERROR |
                          XML_PARSE_NOWARNING),
        xmlFreeDoc);
    xmlNodePtr root = doc ? xmlDocGetRootElement(doc.get()) : nullptr;
    if (root == nullptr || doc->intSubset != nullptr)
        return {};
    std::vector<TicketField> fields;
    for (const TicketParameter &parameter : kTicketParameters) {
        fields.push_back({Narrow(parameter.name), parameter.field});
        ReadParameter(doc.get(), root, parameter, fields.back());
    }
    auto feature = [&](const TicketFeature &f) {
        fields.push_back({Narrow(f.name), f.field});
        ReadFeature(doc.get(), root, f, fields.back());
    };
    for (const TicketFeature &f : kPrivateFeatures)
        feature(f);
    feature(kResolutionFeature);
    return fields;
}

}  // namespace fuzz
