#include "matching/dat_file.h"

#include <algorithm>
#include <cstring>

#ifdef TRAMLUNE_HAVE_RAPIDXML
#include <rapidxml.hpp>
#endif

namespace {

// "the XML breaks at line N: " for offset in text.
std::string BreaksAt(std::string_view text, size_t offset) {
  offset = std::min(offset, text.size());
  size_t line = 1 + static_cast<size_t>(
                        std::count(text.begin(), text.begin() + offset, '\n'));
  return "the XML breaks at line " + std::to_string(line) + ": ";
}

}  // namespace

#ifndef TRAMLUNE_HAVE_RAPIDXML

bool DatReaderBuilt() { return false; }

size_t TooDeepAt(const char*, int) { return std::string_view::npos; }

std::string ReadDat(std::string_view, DatFile*) {
  return "this tramlune was built without an XML parser";
}

#else  // TRAMLUNE_HAVE_RAPIDXML

namespace {

// The parser's own tables of the bytes that make up whitespace, element
// names and attribute names, so that the depth scan reads text as it does.
bool IsSpace(char c) {
  return rapidxml::internal::lookup_tables<0>::lookup_whitespace
      [static_cast<unsigned char>(c)];
}
bool IsNameByte(char c) {
  return rapidxml::internal::lookup_tables<0>::lookup_node_name
      [static_cast<unsigned char>(c)];
}
bool IsAttributeNameByte(char c) {
  return rapidxml::internal::lookup_tables<0>::lookup_attribute_name
      [static_cast<unsigned char>(c)];
}

// The position just past the first end at or after p, or nullptr when the
// text ends first.
const char* PastEnd(const char* p, std::string_view end) {
  for (; *p; ++p)
    if (std::strncmp(p, end.data(), end.size()) == 0)
      return p + end.size();
  return nullptr;
}

const char* SkipSpace(const char* p) {
  while (IsSpace(*p))
    ++p;
  return p;
}

// Past a DOCTYPE's body as the parser skips it: to the first ">" outside
// square brackets, which nest.
const char* PastDoctype(const char* p) {
  while (*p != '>') {
    if (*p == '\0')
      return nullptr;
    if (*p++ != '[')
      continue;
    for (int depth = 1; depth > 0; ++p) {
      if (*p == '\0')
        return nullptr;
      depth += *p == '[' ? 1 : *p == ']' ? -1 : 0;
    }
  }
  return p + 1;
}

// The parse's flags: no nodes but elements and attributes, names and
// values as (pointer, size), closing tags checked against their elements.
constexpr int kParseFlags =
    rapidxml::parse_no_data_nodes | rapidxml::parse_no_element_values |
    rapidxml::parse_no_string_terminators |
    rapidxml::parse_validate_closing_tags;

using XmlNode = rapidxml::xml_node<char>;

bool Named(const XmlNode* node, std::string_view name) {
  return std::string_view(node->name(), node->name_size()) == name;
}

std::string_view Attribute(const XmlNode* node, std::string_view name) {
  const rapidxml::xml_attribute<char>* a =
      node->first_attribute(name.data(), name.size());
  return a ? std::string_view(a->value(), a->value_size())
           : std::string_view();
}

}  // namespace

bool DatReaderBuilt() { return true; }

size_t TooDeepAt(const char* text, int max_depth) {
  constexpr size_t kNone = std::string_view::npos;
  int depth = 0;
  const char* p = text;
  for (;;) {
    // Text between tags, at any level, runs to the next "<".
    while (*p && *p != '<')
      ++p;
    if (!*p)
      return kNone;
    const char* open = p++;
    if (*p == '/') {  // a closing tag: its name, blanks, ">"
      depth = std::max(depth - 1, 0);
      p = PastEnd(p, ">");
    } else if (*p == '?') {  // a declaration or processing instruction
      p = PastEnd(p + 1, "?>");
    } else if (*p == '!') {
      if (std::strncmp(p, "!--", 3) == 0)
        p = PastEnd(p + 3, "-->");
      else if (std::strncmp(p, "![CDATA[", 8) == 0)
        p = PastEnd(p + 8, "]]>");
      else if (std::strncmp(p, "!DOCTYPE", 8) == 0 && IsSpace(p[8]))
        p = PastDoctype(p + 9);
      else
        p = PastEnd(p + 1, ">");
    } else {  // an element: its name, its attributes, then ">" or "/>"
      const char* name = p;
      while (IsNameByte(*p))
        ++p;
      if (p == name)
        return kNone;
      p = SkipSpace(p);
      while (IsAttributeNameByte(*p)) {
        while (IsAttributeNameByte(*p))
          ++p;
        p = SkipSpace(p);
        if (*p != '=')
          return kNone;
        p = SkipSpace(p + 1);
        if (*p != '"' && *p != '\'')
          return kNone;
        const char* close = std::strchr(p + 1, *p);
        if (!close)
          return kNone;
        p = SkipSpace(close + 1);
      }
      if (*p == '>') {
        if (++depth > max_depth)
          return static_cast<size_t>(open - text);
        ++p;
      } else if (p[0] == '/' && p[1] == '>') {
        p += 2;
      } else {
        return kNone;
      }
    }
    if (!p)
      return kNone;
  }
}

std::string ReadDat(std::string_view text, DatFile* dat) {
  *dat = DatFile();
  // The parser decodes entities in place, in a copy that ends in a zero
  // byte; the names stay there.
  dat->stores.push_back(std::make_unique<char[]>(text.size() + 1));
  char* store = dat->stores.back().get();
  std::memcpy(store, text.data(), text.size());
  store[text.size()] = '\0';
  size_t deep = TooDeepAt(store, kMaxDatDepth);
  if (deep != std::string_view::npos)
    return BreaksAt(text, deep) + "elements nest more than " +
           std::to_string(kMaxDatDepth) + " deep";
  // The document holds a pool of 64 KiB: too much for a stack.
  auto document = std::make_unique<rapidxml::xml_document<char>>();
  try {
    document->parse<kParseFlags>(store);
  } catch (const rapidxml::parse_error& e) {
    std::string_view what = e.what();
    if (what == "unexpected end of data")
      what = "the text ends inside it";
    else if (what == "invalid closing tag name")
      what = "a closing tag names another element";
    return BreaksAt(text, static_cast<size_t>(e.where<char>() - store)) +
           std::string(what);
  }
  const XmlNode* root = document->first_node();
  for (const XmlNode* entry = root ? root->first_node() : nullptr; entry;
       entry = entry->next_sibling()) {
    if (!Named(entry, "game") && !Named(entry, "machine"))
      continue;
    DatGame game;
    game.name = Attribute(entry, "name");
    game.parent = Attribute(entry, "cloneof");
    game.id = Attribute(entry, "id");
    game.parent_id = Attribute(entry, "cloneofid");
    game.first_rom = static_cast<uint32_t>(dat->roms.size());
    for (const XmlNode* rom = entry->first_node("rom"); rom;
         rom = rom->next_sibling("rom"))
      dat->roms.push_back(Attribute(rom, "name"));
    game.rom_count = static_cast<uint32_t>(dat->roms.size()) - game.first_rom;
    dat->games.push_back(game);
  }
  if (dat->games.empty())
    return root ? "it holds no <game> or <machine> element"
                : "it holds no XML element";
  return "";
}

#endif  // TRAMLUNE_HAVE_RAPIDXML
