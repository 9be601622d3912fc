// Option words of DiffFile. Letters may be bundled ("-Hn"); -C and -M take the
// next word wherever they stand in a bundle, -c and -D take the rest of their
// own word. "-" alone ends the options and stays; "--" ends them and is
// consumed.
#include "differ/txtcmp/diff_options.h"

#include <cctype>
#include <cstring>

#include "differ/support/diff_support.h"

namespace orv::txtcmp {

int parse_options(int argc, const char* const* argv, Options& opt, int* first_operand) {
  int w = 1;
  bool edlike = false;  // -e or -f seen
  for (; w < argc && argv[w] && argv[w][0] == '-'; ++w) {
    const char* word = argv[w];
    if (word[1] == '\0') break;  // "-" stays
    if (word[1] == '-' && word[2] == '\0') {
      ++w;
      break;
    }
    for (const char* p = word + 1; *p; ++p) {
      switch (*p) {
        case 'b': opt.rules.blanks = true; break;
        case 'w': opt.rules.white = true; break;
        case 'i': opt.rules.nocase = true; break;
        case 'h': opt.half = true; break;
        case 'H': opt.fallback = true; break;
        case 'n': opt.rcs = true; break;
        case 'N': opt.blocks = true; break;
        case 'r': opt.recursive = true; break;
        case 's': opt.silent = true; break;
        case 'c':
          opt.context = p[1] ? diffsup::parse_decimal(p + 1) : 3;
          p += std::strlen(p) - 1;  // the rest of the word belongs to -c
          break;
        case 'C':
          if (w + 1 >= argc || !argv[w + 1] || !std::isdigit(static_cast<unsigned char>(argv[w + 1][0]))) {
            messages().set_plain("Missing number after \"%s\" option\n", "-C");
            return 2;
          }
          opt.context = diffsup::parse_decimal(argv[++w]);
          break;
        case 'D':
          if (!p[1]) {
            messages().set_plain("Missing #ifdef symbol after -D\n");
            return 2;
          }
          opt.ifdef = p + 1;
          p += std::strlen(p) - 1;
          break;
        case 'e':
        case 'f':
          if (opt.bars) {
            messages().set_plain("cannot specify -m with either -e or -f");
            return 2;
          }
          opt.ed = true;
          edlike = true;
          if (*p == 'f') opt.ed_file_order = true;
          break;
        case 'm':
          if (edlike) {
            messages().set_plain("cannot specify -m with either -e or -f");
            return 2;
          }
          opt.bars = true;
          break;
        case 'M':
          if (w + 1 >= argc || !argv[w + 1]) return 2;  // no new message
          ++w;
          if (std::strlen(argv[w]) <= 507) opt.mark = std::string(".mc ") + argv[w] + "\n";
          break;
        default:
          messages().set_plain("Unknown option \"-%s\"\n", p);
          return 2;
      }
    }
  }
  *first_operand = w;
  return 0;
}

}  // namespace orv::txtcmp
