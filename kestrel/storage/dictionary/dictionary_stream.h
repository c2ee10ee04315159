#pragma once
// Little-endian field readers and writers for the stream forms of the data
// dictionary, and the native error code of every read and write site.
//
// Each site has its own code so that a short read or write in a damaged
// table file names the field that failed. Codes:
//
//   site                               write   read
//   definition name length             10200   10203
//   definition name bytes              10201   10204
//   definition ObjectID                10202   10205
//   field StorageType .. Cycled        10206+k 10218+k  (k in the field form's order, 0..11)
//   index column name length           10230   10234
//   index column name bytes            10231   10235
//   index column Descending            10232   10236
//   index column CaseInsensitive       10233   10237
//   index IndexType .. RootPageNo      10238+k 10243+k  (k = 0..4)
//   constraint reference ObjectIDs     10248   10249
//   constraint name length N           10250   10252
//   constraint name short string       10251   10253
//   constraint column count            10254   10255
//   constraint column ObjectID         10256   10257
//   constraint type byte in a list     10258   10259
//   list count                         10260   10261
//   sequence StorageType .. Cycled     10262+k 10268+k  (k = 0..5)

#include <cstdint>
#include <string>
#include <string_view>

#include "kestrel/storage/streams/kestrel_stream.h"

namespace kestrel {

namespace dictionary_site {
inline constexpr int kWriteNameLength = 10200;
inline constexpr int kWriteName = 10201;
inline constexpr int kWriteObjectID = 10202;
inline constexpr int kReadNameLength = 10203;
inline constexpr int kReadName = 10204;
inline constexpr int kReadObjectID = 10205;
inline constexpr int kWriteField = 10206;
inline constexpr int kReadField = 10218;
inline constexpr int kWriteColumnNameLength = 10230;
inline constexpr int kWriteColumnName = 10231;
inline constexpr int kWriteColumnDescending = 10232;
inline constexpr int kWriteColumnCaseInsensitive = 10233;
inline constexpr int kReadColumnNameLength = 10234;
inline constexpr int kReadColumnName = 10235;
inline constexpr int kReadColumnDescending = 10236;
inline constexpr int kReadColumnCaseInsensitive = 10237;
inline constexpr int kWriteIndex = 10238;
inline constexpr int kReadIndex = 10243;
inline constexpr int kWriteReferenceIDs = 10248;
inline constexpr int kReadReferenceIDs = 10249;
inline constexpr int kWriteReferenceNameLength = 10250;
inline constexpr int kWriteReferenceName = 10251;
inline constexpr int kReadReferenceNameLength = 10252;
inline constexpr int kReadReferenceName = 10253;
inline constexpr int kWriteColumnCount = 10254;
inline constexpr int kReadColumnCount = 10255;
inline constexpr int kWriteColumnID = 10256;
inline constexpr int kReadColumnID = 10257;
inline constexpr int kWriteConstraintType = 10258;
inline constexpr int kReadConstraintType = 10259;
inline constexpr int kWriteListCount = 10260;
inline constexpr int kReadListCount = 10261;
inline constexpr int kWriteSequence = 10262;
inline constexpr int kReadSequence = 10268;
}  // namespace dictionary_site

void WriteUInt8(TKestrelStream& stream, uint8_t value, int nativeError);
void WriteUInt16(TKestrelStream& stream, uint16_t value, int nativeError);
void WriteInt32(TKestrelStream& stream, int32_t value, int nativeError);
void WriteInt64(TKestrelStream& stream, int64_t value, int nativeError);
void WriteBool(TKestrelStream& stream, bool value, int nativeError);
uint8_t ReadUInt8(TKestrelStream& stream, int nativeError);
uint16_t ReadUInt16(TKestrelStream& stream, int nativeError);
int32_t ReadInt32(TKestrelStream& stream, int nativeError);
int64_t ReadInt64(TKestrelStream& stream, int nativeError);
bool ReadBool(TKestrelStream& stream, int nativeError);

// A short string: one length byte, then the bytes. A text of 256 bytes or
// more cannot be written and raises ERangeError before anything is written.
void WriteShortString(TKestrelStream& stream, std::string_view text, int lengthError,
                      int textError);
std::string ReadShortString(TKestrelStream& stream, int lengthError, int textError);
// The length byte of a short string; ERangeError above 255.
uint8_t ShortStringLength(std::string_view text);

}  // namespace kestrel
