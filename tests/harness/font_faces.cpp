// Prints the face Wine gives each font that the forms and tests ask for by name. Machines differ
// in the fonts they have, and with them in text widths and glyphs: tools/test.sh prints these lines
// so that such a difference shows in the log.
#include <windows.h>

#include <cstdio>
#include <initializer_list>

int main() {
  HDC DC = CreateCompatibleDC(nullptr);
  // The forms' font, the What's This glyph font, and the font the drawing tests use.
  for (const char* Asked : {"MS Sans Serif", "Marlett", "Tahoma"}) {
    LOGFONTA Font{};
    Font.lfHeight = -11;
    Font.lfCharSet = DEFAULT_CHARSET;  // as the class library's fonts ask
    lstrcpynA(Font.lfFaceName, Asked, LF_FACESIZE);
    HFONT Handle = CreateFontIndirectA(&Font);
    HGDIOBJ Old = SelectObject(DC, Handle);
    char Face[LF_FACESIZE] = "?";
    GetTextFaceA(DC, LF_FACESIZE, Face);
    std::printf("font \"%s\" -> \"%s\"\n", Asked, Face);
    SelectObject(DC, Old);
    DeleteObject(Handle);
  }
  DeleteDC(DC);
  return 0;
}
