#include "toolbox/config/Writer.h"

namespace toolbox {

bool WriteEscaped(Writer& writer, const char* text) {
  if (text == nullptr || *text == '\0') return writer.Write("\\0");
  bool ok = true;
  for (const char* p = text; ok && *p != '\0'; ++p) {
    switch (*p) {
      case '\t':
        ok = writer.Write("\\t");
        break;
      case '\n':
        ok = writer.Write("\\n");
        break;
      case '\f':
        ok = writer.Write("\\f");
        break;
      case '\r':
        ok = writer.Write("\\r");
        break;
      case '/':
      case '<':
      case '>':
      case '\\':
        ok = writer.WriteChar('\\') && writer.WriteChar(*p);
        break;
      default:
        ok = writer.WriteChar(*p);
        break;
    }
  }
  return ok;
}

bool WriteIndent(Writer& writer, int depth) {
  bool ok = true;
  for (int i = 0; ok && i < depth; ++i) ok = writer.Write("\t");
  return ok;
}

}  // namespace toolbox
