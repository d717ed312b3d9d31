#include "foundation/text_file_stream.h"

#include "foundation/file_layer.h"
#include "foundation/finder_info.h"
#include "foundation/path_name.h"

CTextFileStream::~CTextFileStream() { Close(); }

bool CTextFileStream::Open(const CPathName& path, const CFileTypeCreator* typeCreator, bool replace) {
  Close();
  const CFileTypeCreator text(FourCC("ttex"), FourCC("TEXT"));
  if (!CreateFileWithTypeCreator(path, typeCreator ? typeCreator : &text, replace)) return false;
  return path.OpenFileStream(stream_, std::ios::out | std::ios::trunc);
}

bool CTextFileStream::Close() {
  if (stream_.is_open()) stream_.close();
  return true;
}

CTextFileStream& CTextFileStream::operator<<(const char* text) { return text ? Put(text) : *this; }
CTextFileStream& CTextFileStream::operator<<(char value) { return Put(value); }
CTextFileStream& CTextFileStream::operator<<(signed char value) { return Put(value); }
CTextFileStream& CTextFileStream::operator<<(unsigned char value) { return Put(value); }
CTextFileStream& CTextFileStream::operator<<(s16 value) { return Put(value); }
CTextFileStream& CTextFileStream::operator<<(u16 value) { return Put(value); }
CTextFileStream& CTextFileStream::operator<<(s32 value) { return Put(value); }
CTextFileStream& CTextFileStream::operator<<(u32 value) { return Put(value); }
CTextFileStream& CTextFileStream::operator<<(float value) { return Put(value); }
CTextFileStream& CTextFileStream::operator<<(double value) { return Put(value); }
CTextFileStream& CTextFileStream::operator<<(const void* pointer) { return Put(pointer); }
