#include "matching/dat_file.h"

#include <algorithm>
#include <cstring>

#ifdef TRAMLUNE_HAVE_RAPIDXML
#include <rapidxml.hpp>
#endif

namespace {

// "the XML breaks at line N: ".
std::string BreaksAtLine(size_t line) {
  return "the XML breaks at line " + std::to_string(line) + ": ";
}

// The line ends in [begin, end), counted in runs of 240 bytes, whose
// counts fit a byte, so that the compiler counts 16 bytes at a time.
size_t LinesIn(const char* begin, const char* end) {
  size_t lines = 0;
  while (begin != end) {
    const char* stop = begin + std::min<ptrdiff_t>(end - begin, 240);
    uint8_t run = 0;
    for (; begin != stop; ++begin)
      run += *begin == '\n';
    lines += run;
  }
  return lines;
}

}  // namespace

#ifndef TRAMLUNE_HAVE_RAPIDXML

bool DatReaderBuilt() { return false; }

size_t TooDeepAt(const char*, int) { return std::string_view::npos; }

std::string ReadDat(std::string, DatFile*, size_t, const RunBoth&) {
  return "this tramlune was built without an XML parser";
}

#else  // TRAMLUNE_HAVE_RAPIDXML

namespace {

constexpr size_t kNone = std::string_view::npos;

// The parser's own tables of the bytes that make up whitespace, element
// names and attribute names, so that the scan reads text as it does.
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
const char* PastEnd(const char* p, const char* end) {
  const char* at = end[1] ? std::strstr(p, end) : std::strchr(p, end[0]);
  return at ? at + std::strlen(end) : nullptr;
}

const char* SkipSpace(const char* p) {
  while (IsSpace(*p))
    ++p;
  return p;
}

// Past the attributes of a start tag, each with the whitespace after it,
// as the parser reads them; nullptr where it stops at an error.
const char* PastAttributes(const char* p) {
  while (IsAttributeNameByte(*p)) {
    while (IsAttributeNameByte(*p))
      ++p;
    p = SkipSpace(p);
    if (*p != '=')
      return nullptr;
    p = SkipSpace(p + 1);
    if (*p != '"' && *p != '\'')
      return nullptr;
    const char* close = std::strchr(p + 1, *p);
    if (!close)
      return nullptr;
    p = SkipSpace(close + 1);
  }
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

// What the scan finds in a text: where an element nests too deep, and
// whether and where the root's children can be parsed in pieces, each as a
// document of its own. They can where the parser reads them as the scan
// does: the first element, the root, opens with ">" and closes before the
// text ends, every closing tag names the element it closes, and the text
// outside the elements under the root is whitespace (a byte order mark at
// the start aside). A piece is then a run of the root's children without
// text around them, and it parses as it does inside the root.
struct Layout {
  size_t too_deep = kNone;  // TooDeepAt
  bool in_pieces = false;
  size_t root_open = 0;     // the "<" of the root's start tag
  size_t root_content = 0;  // just past that tag
  size_t root_close = 0;    // the "<" of the root's closing tag
  size_t root_end = 0;      // just past that tag
  size_t end = 0;           // the text's first zero byte
  // How many <game> and <machine> elements the scan passed at level 2 and
  // <rom> elements at level 3: at least as many as the DAT has games and
  // roms.
  size_t games = 0, roms = 0;
  // The starts of the pieces after the first, which starts at
  // root_content: the "<" of a child of the root at least piece_bytes
  // after the previous start (or where a scan in two parts was parted);
  // with the games and roms the scan passed before each.
  std::vector<size_t> cuts;
  std::vector<size_t> games_before, roms_before;
};

// A scan of a text as the parser reads its tokens, to the first element
// deeper than max_depth, to the text's end, or to where the parser would
// stop at an error; it cuts pieces of piece_bytes (none for 0). It may
// stop where it reaches a given tag and go on later, and it may begin
// within the root, at a tag of one of its children: the root's name is
// then not known, and the first closing tag at level 1 is taken for the
// root's, its name kept.
class Scanner {
 public:
  Scanner(const char* text, int max_depth, size_t piece_bytes)
      : text_(text),
        max_depth_(max_depth),
        piece_bytes_(piece_bytes),
        pieces_(piece_bytes > 0),
        open_(static_cast<size_t>(max_depth) + 1),
        p_(text) {
    if (pieces_ && p_[0] == '\xEF' && p_[1] == '\xBB' && p_[2] == '\xBF')
      p_ += 3;  // the parser skips a byte order mark
  }

  // Begins within the root, at child, the "<" of one of its children.
  void BeginWithin(const char* child) {
    p_ = child;
    depth_ = 1;
    root_open_ = true;
    root_unknown_ = true;
    layout_.root_content = static_cast<size_t>(child - text_);
  }

  // Scans on, to the end or to the tag that begins at stop. Returns true
  // where it stopped at stop.
  bool Run(const char* stop);

  // The layout of the text, once the scan has run to its end.
  Layout Finish() {
    layout_.in_pieces = pieces_ && ended_ && root_closed_;
    if (layout_.in_pieces)
      layout_.end = static_cast<size_t>(p_ - text_);
    return std::move(layout_);
  }

  // Whether the scan stands within the root, at level 1, its layout
  // holding: where a scan begun there takes up the text.
  bool WithinRoot() const {
    return depth_ == 1 && pieces_ && root_open_ && !root_closed_;
  }

  // Takes up the layout that second, begun within the root at the tag
  // where this scan stopped, found after it.
  Layout Join(Scanner& second);

 private:
  const char* text_;
  int max_depth_;
  size_t piece_bytes_;
  Layout layout_;
  bool pieces_;  // while the layout above still holds
  bool root_open_ = false, root_closed_ = false, ended_ = false;
  bool root_unknown_ = false;
  std::string_view root_close_name_;
  std::vector<std::string_view> open_;
  int depth_ = 0;
  const char* p_;
};

bool Scanner::Run(const char* stop) {
  const char* p = p_;
  for (;;) {
    // Text between tags, at any level, runs to the next "<"; it is often
    // whitespace alone.
    p = SkipSpace(p);
    if (pieces_ && depth_ <= 1)
      pieces_ = *p == '<' || *p == '\0';
    if (*p != '<') {
      if (*p == '\0') {
        ended_ = true;
        break;
      }
      p = std::strchr(p, '<');
      if (!p)
        break;
    }
    if (p == stop) {
      p_ = p;
      return true;
    }
    const char* tag = p++;
    if (*p == '/') {  // a closing tag: its name, blanks, ">"
      const char* close = nullptr;
      if (pieces_) {
        const char* name = p + 1;
        const char* q = name;
        while (IsNameByte(*q))
          ++q;
        close = SkipSpace(q);
        std::string_view closed(name, static_cast<size_t>(q - name));
        bool same = depth_ == 1 && root_unknown_ && !root_closed_
                        ? (root_close_name_ = closed, true)
                        : closed == open_[depth_];
        pieces_ = depth_ > 0 && *close == '>' && same;
        if (pieces_ && depth_ == 1 && !root_closed_) {
          root_closed_ = true;
          layout_.root_close = static_cast<size_t>(tag - text_);
          layout_.root_end = static_cast<size_t>(close + 1 - text_);
        }
      }
      depth_ = std::max(depth_ - 1, 0);
      p = pieces_ ? close + 1 : PastEnd(p, ">");
    } else {
      if (pieces_ && depth_ == 1 && root_open_ && !root_closed_) {
        size_t at = static_cast<size_t>(tag - text_);
        size_t last =
            layout_.cuts.empty() ? layout_.root_content : layout_.cuts.back();
        if (at - last >= piece_bytes_) {
          layout_.cuts.push_back(at);
          layout_.games_before.push_back(layout_.games);
          layout_.roms_before.push_back(layout_.roms);
        }
      }
      if (*p == '?') {  // a declaration or processing instruction
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
        std::string_view element(name, static_cast<size_t>(p - name));
        layout_.games +=
            depth_ == 1 && (element == "game" || element == "machine");
        layout_.roms += depth_ == 2 && element == "rom";
        p = element.empty() ? nullptr : PastAttributes(SkipSpace(p));
        if (p && *p == '>') {
          if (++depth_ > max_depth_) {
            layout_.too_deep = static_cast<size_t>(tag - text_);
            p = nullptr;
            break;
          }
          open_[depth_] = element;
          if (depth_ == 1 && !root_open_) {
            root_open_ = true;
            layout_.root_open = static_cast<size_t>(tag - text_);
            layout_.root_content = static_cast<size_t>(p + 1 - text_);
          }
          ++p;
        } else if (p && p[0] == '/' && p[1] == '>') {
          pieces_ = pieces_ && (depth_ > 0 || root_open_);
          p += 2;
        } else {
          p = nullptr;
        }
      }
    }
    if (!p)
      break;
  }
  p_ = p;
  return false;
}

Layout Scanner::Join(Scanner& second) {
  Layout& first = layout_;
  const Layout& after = second.layout_;
  // The tag where the first scan stopped begins a piece.
  first.cuts.push_back(static_cast<size_t>(p_ - text_));
  first.games_before.push_back(first.games);
  first.roms_before.push_back(first.roms);
  for (size_t k = 0; k < after.cuts.size(); ++k) {
    first.cuts.push_back(after.cuts[k]);
    first.games_before.push_back(first.games + after.games_before[k]);
    first.roms_before.push_back(first.roms + after.roms_before[k]);
  }
  first.games += after.games;
  first.roms += after.roms;
  first.too_deep = after.too_deep;
  first.root_close = after.root_close;
  first.root_end = after.root_end;
  // What the first scan saw of the root: its name.
  second.pieces_ = second.pieces_ &&
                   (!second.root_closed_ ||
                    second.root_close_name_ == open_[1]);
  Layout joined = std::move(first);
  Layout rest = second.Finish();
  joined.in_pieces = rest.in_pieces;
  joined.end = rest.end;
  return joined;
}

// Where a second scan of text, size bytes, may begin within the root: the
// "<" of a <game> or <machine> tag at the start of a line after the
// middle, or nullptr.
const char* SecondScanStart(const char* text, size_t size) {
  const char* end = text + size;
  const char* p = text + size / 2;
  for (int tries = 0; tries < 64; ++tries) {
    p = static_cast<const char*>(
        std::memchr(p, '\n', static_cast<size_t>(end - p)));
    if (!p)
      return nullptr;
    p = SkipSpace(p);
    if (*p != '<')
      continue;
    for (std::string_view name : {"game", "machine"})
      if (static_cast<size_t>(end - p) > name.size() + 1 &&
          std::string_view(p + 1, name.size()) == name &&
          !IsNameByte(p[1 + name.size()]))
        return p;
  }
  return nullptr;
}

// The layout of text, size bytes, as one Scanner finds it. A long text is
// scanned in two parts at once, the second from a guess at where the root's
// children may be parted: where the first part's scan reaches that tag
// within the root, the second's layout holds after it; else the first scan
// goes on alone.
Layout Scan(const char* text, size_t size, int max_depth, size_t piece_bytes,
            const RunBoth& both) {
  Scanner first(text, max_depth, piece_bytes);
  const char* middle = piece_bytes > 0 && size / 4 >= piece_bytes
                           ? SecondScanStart(text, size)
                           : nullptr;
  if (!middle) {
    first.Run(nullptr);
    return first.Finish();
  }
  Scanner second(text, max_depth, piece_bytes);
  second.BeginWithin(middle);
  bool stopped = false;
  both([&] { stopped = first.Run(middle); }, [&] { second.Run(nullptr); });
  if (stopped && first.WithinRoot())
    return first.Join(second);
  if (stopped)
    first.Run(nullptr);
  return first.Finish();
}

// The parse's flags: no nodes but elements and attributes, names and
// values as (pointer, size), closing tags checked against their elements.
constexpr int kParseFlags =
    rapidxml::parse_no_data_nodes | rapidxml::parse_no_element_values |
    rapidxml::parse_no_string_terminators |
    rapidxml::parse_validate_closing_tags;

using XmlNode = rapidxml::xml_node<char>;
using XmlAttribute = rapidxml::xml_attribute<char>;

std::string_view NameOf(const XmlNode* node) {
  return std::string_view(node->name(), node->name_size());
}

std::string_view Attribute(const XmlNode* node, std::string_view name) {
  const XmlAttribute* a = node->first_attribute(name.data(), name.size());
  return a ? std::string_view(a->value(), a->value_size())
           : std::string_view();
}

// Games and their roms as read, their roms' places in roms.
struct Games {
  std::vector<DatGame>* games;
  std::vector<std::string_view>* roms;
};

// Adds the games among entry and its following siblings to *dat.
void TakeGames(const XmlNode* entry, Games dat) {
  for (; entry; entry = entry->next_sibling()) {
    std::string_view kind = NameOf(entry);
    if (kind != "game" && kind != "machine")
      continue;
    DatGame game;
    // The first attribute of each name counts.
    bool seen[4] = {};
    for (const XmlAttribute* a = entry->first_attribute(); a;
         a = a->next_attribute()) {
      std::string_view name(a->name(), a->name_size());
      int field = name == "name"        ? 0
                  : name == "cloneof"   ? 1
                  : name == "id"        ? 2
                  : name == "cloneofid" ? 3
                                        : -1;
      if (field < 0 || seen[field])
        continue;
      seen[field] = true;
      std::string_view* texts[4] = {&game.name, &game.parent, &game.id,
                                    &game.parent_id};
      *texts[field] = std::string_view(a->value(), a->value_size());
    }
    game.first_rom = static_cast<uint32_t>(dat.roms->size());
    for (const XmlNode* rom = entry->first_node("rom", 3); rom;
         rom = rom->next_sibling("rom", 3))
      dat.roms->push_back(Attribute(rom, "name"));
    game.rom_count = static_cast<uint32_t>(dat.roms->size()) - game.first_rom;
    dat.games->push_back(game);
  }
}

// Parses runs of a text in place, in order, each as a document of its own,
// and counts the lines before each while they are as read, so that a
// break's line is that of the text as read: counted from where the parser
// began, so that a parser may take up a text's second part while another
// parses the first.
class Parser {
 public:
  explicit Parser(char* text)
      : text_(text), document_(new rapidxml::xml_document<char>) {}

  // The document of the last run (it holds a pool of 64 KiB: too much for
  // a stack).
  const rapidxml::xml_document<char>& Document() const { return *document_; }

  // Parses text[begin, end), its last byte made zero meanwhile. Returns
  // false where the XML breaks (Break tells where and why).
  bool Parse(size_t begin, size_t end) {
    char* first = text_ + begin;
    char* last = text_ + end;
    size_t lines = LinesIn(first, last);
    char kept = *last;
    *last = '\0';
    document_->clear();
    try {
      document_->parse<kParseFlags>(first);
    } catch (const rapidxml::parse_error& e) {
      *last = kept;
      // The parser has changed only bytes before where it stopped.
      const char* at = std::min<const char*>(e.where<char>(), last);
      return Breaks(lines_ + lines - LinesIn(at, last), e.what());
    }
    *last = kept;
    lines_ += lines;
    return true;
  }

  // Checks the attributes of the start tag text[begin, end) ("<a b='c'>"),
  // which stays as read, in a copy that closes it ("<a b='c'/>").
  bool ParseStartTag(size_t begin, size_t end) {
    std::string tag(text_ + begin, end - begin - 1);
    tag += "/>";
    document_->clear();
    try {
      document_->parse<kParseFlags>(tag.data());
    } catch (const rapidxml::parse_error& e) {
      size_t at = std::min(static_cast<size_t>(e.where<char>() - tag.data()),
                           end - begin);
      return Breaks(lines_ + LinesIn(text_ + begin, text_ + begin + at),
                    e.what());
    }
    Pass(begin, end);
    return true;
  }

  // Passes over text[begin, end), read by the scan.
  void Pass(size_t begin, size_t end) {
    lines_ += LinesIn(text_ + begin, text_ + end);
  }
  // Passes over lines that another parser read.
  void PassLines(size_t lines) { lines_ += lines; }
  size_t Lines() const { return lines_; }

  // Where and why the XML breaks, after lines_before lines that the
  // parser did not read.
  std::string Break(size_t lines_before) const {
    return BreaksAtLine(1 + lines_before + break_lines_) + break_what_;
  }

 private:
  bool Breaks(size_t lines_before, std::string_view what) {
    if (what == "unexpected end of data")
      what = "the text ends inside it";
    else if (what == "invalid closing tag name")
      what = "a closing tag names another element";
    break_lines_ = lines_before;
    break_what_ = what;
    return false;
  }

  char* text_;
  size_t lines_ = 0;  // in the text before the next run
  size_t break_lines_ = 0;
  std::string break_what_;
  std::unique_ptr<rapidxml::xml_document<char>> document_;
};

// A text of this many pieces at least is parsed in two parts at once.
constexpr size_t kLeastPiecesToPart = 4;

// The first piece of the second part of the pieces that end at ends (each
// begins where the one before ends, the first at layout.root_content): the
// first that begins halfway or later, after whitespace, so that the first
// part may end before the byte where the second begins (the parser makes
// its last byte zero). 0 for none.
size_t SecondPart(const char* text, const Layout& layout,
                  const std::vector<size_t>& ends) {
  if (ends.size() < kLeastPiecesToPart)
    return 0;
  const size_t half =
      layout.root_content + (layout.root_close - layout.root_content) / 2;
  for (size_t k = 1; k < ends.size(); ++k)
    if (ends[k - 1] >= half && IsSpace(text[ends[k - 1] - 1]))
      return k;
  return 0;
}

// Parses pieces [from, to) of those that end at ends, the first beginning
// at begin, into games; the last ends at last_end. Returns false where the
// XML breaks.
bool ParsePieces(Parser& parser, const std::vector<size_t>& ends,
                 size_t begin, size_t from, size_t to, size_t last_end,
                 Games games) {
  for (size_t i = from; i < to; begin = ends[i++]) {
    if (!parser.Parse(begin, i + 1 == to ? last_end : ends[i]))
      return false;
    TakeGames(parser.Document().first_node(), games);
  }
  return true;
}

}  // namespace

bool DatReaderBuilt() { return true; }

size_t TooDeepAt(const char* text, int max_depth) {
  Scanner scanner(text, max_depth, 0);
  scanner.Run(nullptr);
  return scanner.Finish().too_deep;
}

std::string ReadDat(std::string text, DatFile* dat, size_t piece_bytes,
                    const RunBoth& both) {
  *dat = DatFile();
  // On the heap, so that the texts stay where they are when *dat moves.
  dat->text = std::make_unique<std::string>(std::move(text));
  char* store = dat->text->data();
  Layout layout =
      Scan(store, dat->text->size(), kMaxDatDepth, piece_bytes, both);
  if (layout.too_deep != kNone)
    return BreaksAtLine(1 + LinesIn(store, store + layout.too_deep)) +
           "elements nest more than " + std::to_string(kMaxDatDepth) +
           " deep";
  Parser parser(store);
  dat->games.reserve(layout.games);
  dat->roms.reserve(layout.roms);
  Games games{&dat->games, &dat->roms};
  if (!layout.in_pieces) {
    if (!parser.Parse(0, std::strlen(store)))
      return parser.Break(0);
    const XmlNode* root = parser.Document().first_node();
    if (!root)
      return "it holds no XML element";
    TakeGames(root->first_node(), games);
  } else {
    std::vector<size_t>& ends = layout.cuts;
    ends.push_back(layout.root_close);
    // Before the root's children, and the first part of them; the second
    // part, where there is one, at the same time.
    const size_t second = SecondPart(store, layout, ends);
    const size_t first_count = second ? second : ends.size();
    const size_t second_begin = second ? ends[second - 1] : 0;
    bool read = false, second_read = true;
    Task first_part = [&] {
      read = parser.Parse(0, layout.root_open) &&
             parser.ParseStartTag(layout.root_open, layout.root_content) &&
             ParsePieces(parser, ends, layout.root_content, 0, first_count,
                         second ? second_begin - 1 : ends.back(), games);
    };
    if (!second) {
      first_part();
    } else {
      Parser second_parser(store);
      std::vector<DatGame> more_games;
      std::vector<std::string_view> more_roms;
      more_games.reserve(layout.games - layout.games_before[second - 1]);
      more_roms.reserve(layout.roms - layout.roms_before[second - 1]);
      both(first_part, [&] {
        second_read = ParsePieces(second_parser, ends, second_begin, second,
                                  ends.size(), ends.back(),
                                  {&more_games, &more_roms});
      });
      // The first part ends a byte early, where a line may end.
      size_t first_lines = parser.Lines() + (store[second_begin - 1] == '\n');
      if (read && !second_read)
        return second_parser.Break(first_lines);
      if (read) {
        const uint32_t rom_offset = static_cast<uint32_t>(dat->roms.size());
        for (DatGame& game : more_games)
          game.first_rom += rom_offset;
        dat->games.insert(dat->games.end(), more_games.begin(),
                          more_games.end());
        dat->roms.insert(dat->roms.end(), more_roms.begin(), more_roms.end());
        parser.PassLines(first_lines - parser.Lines() + second_parser.Lines());
      }
    }
    if (!read)
      return parser.Break(0);
    parser.Pass(layout.root_close, layout.root_end);
    if (!parser.Parse(layout.root_end, layout.end))
      return parser.Break(0);
  }
  if (dat->games.empty())
    return "it holds no <game> or <machine> element";
  return "";
}

#endif  // TRAMLUNE_HAVE_RAPIDXML
