// The file forms of the binary writers, readers and codecs.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/base64.h"
#include "foundation/bit_readers.h"
#include "foundation/data_writer.h"
#include "foundation/file_stream.h"
#include "foundation/path_name.h"
#include "foundation/wav_file.h"
#include "tests/support/test_support.h"

namespace {

using Bytes = std::vector<u8>;

std::string Folder(const char* name) { return gbtest::MakeTempFolder(name); }

TEST(Base64Files, EncodeWithLineBreaksAndDecodeBack) {
  const std::string folder = Folder("base64");
  Bytes plain(100);
  for (size_t i = 0; i < plain.size(); ++i) plain[i] = u8(i * 7);
  ASSERT_TRUE(gbtest::WriteFile(folder + "plain", plain));

  struct Case {
    size_t lineLength;
    size_t charsPerLine;
  };
  for (const Case& c : {Case{76, 76}, Case{8, 8}, Case{10, 8}, Case{3, 4}}) {
    ASSERT_TRUE(EncodeBase64File(CPathName(folder + "plain"), CPathName(folder + "text"), c.lineLength));
    const std::string text = gbtest::ReadTextFile(folder + "text");
    // 100 bytes make 136 characters; every line but the last is full.
    size_t at = 0, characters = 0;
    while (at < text.size()) {
      const size_t end = text.find("\r\n", at);
      ASSERT_NE(end, std::string::npos);
      if (end + 2 < text.size()) {
        EXPECT_EQ(end - at, c.charsPerLine) << c.lineLength;
      }
      characters += end - at;
      at = end + 2;
    }
    EXPECT_EQ(characters, 136u);
    ASSERT_TRUE(DecodeBase64File(CPathName(folder + "text"), CPathName(folder + "decoded")));
    EXPECT_EQ(gbtest::ReadFile(folder + "decoded"), plain);
    Bytes decoded;
    ASSERT_TRUE(DecodeBase64FromFile(decoded, CPathName(folder + "text")));
    EXPECT_EQ(decoded, plain);
  }

  ASSERT_TRUE(gbtest::WriteFile(folder + "empty", Bytes()));
  ASSERT_TRUE(EncodeBase64File(CPathName(folder + "empty"), CPathName(folder + "empty.txt"), 76));
  EXPECT_TRUE(gbtest::FileExists(folder + "empty.txt"));
  EXPECT_TRUE(gbtest::ReadFile(folder + "empty.txt").empty());

  // Text that is not base64 writes nothing; a missing source fails.
  ASSERT_TRUE(gbtest::WriteFile(folder + "bad", std::string("TWFu\r\n*bad*\r\n")));
  EXPECT_FALSE(DecodeBase64File(CPathName(folder + "bad"), CPathName(folder + "bad.out")));
  EXPECT_FALSE(gbtest::FileExists(folder + "bad.out"));
  Bytes out;
  EXPECT_FALSE(EncodeBase64FromFile(out, CPathName(folder + "missing")));
}

TEST(DataReaderFiles, BothReadersOpenFilesAndRefuseWhatIsNoFile) {
  const std::string folder = Folder("readers");
  ASSERT_TRUE(gbtest::WriteFile(folder + "data", Bytes{0xB5, 0x34, 0x12, 0x78, 0x56, 0x34, 0x12, 0x01}));
  ASSERT_EQ(mkfifo((folder + "pipe").c_str(), 0600), 0);

  CFileDataReader file;
  CStreamDataReader stream;
  for (CFileDataReader* reader : {&file, static_cast<CFileDataReader*>(&stream)}) {
    ASSERT_TRUE(reader->Open(CPathName(folder + "data")));
    EXPECT_EQ(reader->GetDataSize(), 8u);
    EXPECT_EQ(reader->ReadBits(3, false), 5);
    EXPECT_EQ(reader->PeekByte(), 0x34);
    EXPECT_EQ(reader->ReadUInt16(), 0x1234);
    EXPECT_EQ(reader->ReadUInt32(), 0x12345678u);
    EXPECT_EQ(reader->ReadUInt16(), 0);  // one byte left
    EXPECT_EQ(reader->ReadUInt8(), 1);
    EXPECT_EQ(reader->ReadUInt8(), 0);
    reader->Seek(1);
    EXPECT_EQ(reader->ReadUInt8(), 0x34);
    reader->Close();

    // A missing file, a folder or a pipe is refused at once (no guessed length, no wait).
    for (const char* name : {"missing", "", "pipe"}) {
      EXPECT_FALSE(reader->Open(CPathName(folder + name))) << name;
      EXPECT_EQ(reader->GetDataSize(), 0u) << name;
      EXPECT_EQ(reader->ReadUInt8(), 0) << name;
    }
  }
}

TEST(DataWriterFiles, SavesTheVectorAndWritesWideStrings) {
  const std::string folder = Folder("writer");
  CDataWriter writer;
  writer.WriteWideString16(L"Caf\u00e9\u4e00");
  writer.WriteBits(1, 1);  // pending: not saved
  ASSERT_TRUE(writer.SaveToFile(CPathName(folder + "out.bin")));
  // Five characters: "Caf", e acute in Mac Roman (0x8E), and '?' for the one it lacks.
  EXPECT_EQ(gbtest::ReadFile(folder + "out.bin"), (Bytes{5, 0, 'C', 'a', 'f', 0x8E, '?'}));
  ASSERT_TRUE(writer.SaveToFile(CPathName(folder + "out.bin")));  // replaces
  EXPECT_EQ(gbtest::ReadFile(folder + "out.bin").size(), 7u);
  EXPECT_FALSE(writer.SaveToFile(CPathName(folder + "no/such/folder/out.bin")));
  // A folder of that name stays, empty or not.
  Folder("writer/empty.bin");
  EXPECT_FALSE(writer.SaveToFile(CPathName(folder + "empty.bin")));
  EXPECT_TRUE(CPathName(folder + "empty.bin").IsFolder());
}

TEST(WaveFiles, SaveThenLoadAndKeepExistingFilesUnlessReplacing) {
  const std::string folder = Folder("wave");
  const Bytes samples = {0, 1, 2, 3};
  CWaveFormat format;
  format.channels = 1;
  format.sampleRate = 8000;
  format.bitsPerSample = 16;
  format.sampleData = samples.data();
  format.dataSize = u32(samples.size());
  CWaveWriter writer;
  const CPathName path(folder + "tone.wav");
  ASSERT_TRUE(writer.Save(path, format, false));
  CWaveFile wave;
  ASSERT_TRUE(wave.Load(path));
  EXPECT_EQ(wave.GetSampleRate(), 8000u);
  EXPECT_EQ(Bytes(wave.GetSampleData(), wave.GetSampleData() + wave.GetDataSize()), samples);

  const Bytes before = gbtest::ReadFile(folder + "tone.wav");
  format.sampleRate = 11025;
  EXPECT_FALSE(writer.Save(path, format, false));
  EXPECT_EQ(gbtest::ReadFile(folder + "tone.wav"), before);
  ASSERT_TRUE(writer.Save(path, format, true));
  ASSERT_TRUE(wave.Load(path));
  EXPECT_EQ(wave.GetSampleRate(), 11025u);
  EXPECT_FALSE(writer.Save(CPathName(folder), format, true));

  // A truncated file fails cleanly.
  ASSERT_TRUE(gbtest::WriteFile(folder + "cut.wav", Bytes(before.begin(), before.begin() + 30)));
  EXPECT_FALSE(wave.Load(CPathName(folder + "cut.wav")));
  EXPECT_EQ(wave.GetSampleData(), nullptr);
  EXPECT_FALSE(wave.Load(CPathName(folder + "missing.wav")));
}

TEST(FileStream, RecordsTheStreamWordAndItsPutPosition) {
  const std::string folder = Folder("stream");
  {
    CFileStream stream;
    ASSERT_TRUE(stream.Open(CPathName(folder + "log.txt"), std::ios::out | std::ios::trunc));
    EXPECT_EQ(stream.GetStreamWord(), 0x08000100u);
    stream << "hello";
    EXPECT_EQ(stream.GetSize(), 5);
  }  // flushed and closed by the destructor
  EXPECT_EQ(gbtest::ReadTextFile(folder + "log.txt"), "hello");
  ASSERT_EQ(mkfifo((folder + "pipe").c_str(), 0600), 0);
  CFileStream stream;
  EXPECT_FALSE(stream.Open(CPathName(folder + "pipe"), std::ios::out));
}

}  // namespace
