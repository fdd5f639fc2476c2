#pragma once

// The list's text: Windows-1252, one byte per character.
namespace bestlist
{

// Every byte maps to one character and back again, so that lines pass through a read and a
// rewrite unchanged. The five bytes the code page leaves undefined map to the C1 controls of the
// same value.
char32_t characterOf(unsigned char byte);
// The byte of a character, or -1 for a character outside the code page.
int byteOf(char32_t character);

} // namespace bestlist
