// Line reader over a standard I/O file handle.
//
// myLib::RdTxtLn opens a text file with fopen(name, "r"), or takes a stream
// that is already open (standard input), and hands it out one line at a time, without the line end,
// into a string the caller owns. The caller learns whether opening worked from the public state
// code; nothing is ever thrown and no message is written. A line end is a line feed, a carriage
// return immediately followed by a line feed, or a carriage return that arrives
// before any byte of a line. At most 998 bytes of one line are delivered. A
// UTF-8 byte order mark (EF BB BF) at the very start of the file is not part of
// its first line. A read error ends the line as the end of the file does, and
// the reader remembers it so that the caller can tell a cut file from a whole
// one. A folder cannot be opened by its name: it leaves the reader failed, errno
// EISDIR (a folder given as a stream reads as a read error). When asked
// (DecodeUtf16), a file that starts with a UTF-16 byte order mark, or any
// file, is read as UTF-16 and delivered in UTF-8. A name
// holding a NUL byte names no file. The reader never leaves a file
// handle open once it is closed, reopened or gone.
#ifndef MYLIB_RDTXTLN_H
#define MYLIB_RDTXTLN_H

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>

namespace myLib {

class RdTxtLn {
    // The handle of the open file, or null when the reader holds none.
    std::FILE* fp_ = nullptr;
    // True until the first GetLn after an open has looked for a byte order mark.
    bool atStart_ = false;
    // True once reading the file opened last met a read error.
    bool readError_ = false;
    // True when the last open failed because the name is a folder.
    bool folder_ = false;
    // True when every lone carriage return ends a line (CrEndsLn), and true
    // once one has since the last open.
    bool crEnds_ = false;
    bool metLoneCr_ = false;
    // The device (volume) and file number of the open file, taken when it was
    // opened; `identified` is false when they could not be had.
    unsigned long long device_ = 0;
    unsigned long long fileNumber_ = 0;
    bool identified_ = false;
    // False for a stream the reader was given (standard input), which it
    // reads but never closes.
    bool owned_ = true;
    // What kind of file is open: one of the kinds below.
    int kind_ = 0;
    // Bytes taken from the file and put back, the next one last.
    int back_[3] = {0, 0, 0};
    int backCount_ = 0;
    // The same for the file's own bytes, before any decoding.
    int rawBack_[3] = {0, 0, 0};
    int rawBackCount_ = 0;
    // A regular file is read a block at a time into `block_` (made at the
    // first read, kept through ReOpen), and a pipe as much of a block as it
    // holds; `next_` to `end_` is what is left of the block. A device (a
    // terminal) is read a byte at a time into `byte_`, as its user may type
    // no more yet. A read error met by a short block is kept in
    // `errorAhead_` until the bytes before it have been read.
    std::unique_ptr<char[]> block_;
    const char* next_ = nullptr;
    const char* end_ = nullptr;
    bool errorAhead_ = false;
    char byte_ = 0;
    // Whether a byte order mark began the file, and how UTF-16 is decoded:
    // the mode asked for (DecodeUtf16), and whether the open file is read so
    // (0: no, 1: little endian, 2: big endian). `utf8_` holds the UTF-8
    // bytes of a decoded character not yet taken, from `utf8Next_` on.
    bool metBom_ = false;
    int utf16Mode_ = 0;
    int utf16_ = 0;
    char utf8_[4] = {0, 0, 0, 0};
    int utf8Count_ = 0;
    int utf8Next_ = 0;
    // The bytes read from the file since it was opened, and its size when it
    // is a regular file (-1 otherwise).
    long long taken_ = 0;
    long long size_ = -1;

public:
    // State codes kept in `status`.
    static constexpr int kReady = 0;       // a file is open and lines can be read
    static constexpr int kEndOfFile = 1;   // the end of the file has been reached
    static constexpr int kOpenFailed = 9;  // the last open failed
    static constexpr int kClosed = -1;     // Close was called on a ready reader

    // Results of GetLn.
    static constexpr int kLineRead = 0;     // a line was delivered (also at end of file)
    static constexpr int kNothingRead = 1;  // the reader was not ready; nothing read
    static constexpr int kLineTooLong = 9;  // the line exceeds kMaxLine; nothing delivered

    // Kinds of file, as FlKind tells them.
    static constexpr int kRegularFile = 0;  // a file on disk: it can be read again
    static constexpr int kDeviceFile = 1;   // a terminal, a console or another device
    static constexpr int kStreamFile = 2;   // a pipe, a FIFO or a socket: read once

    // The longest line, in bytes, that GetLn can deliver.
    static constexpr int kMaxLine = 998;

    // The reader's state: one of the state codes above. Callers test it after
    // construction and after ReOpen; any value other than kReady is a failure.
    int status = kOpenFailed;

    // Opens the named file for reading; `status` tells whether that worked.
    explicit RdTxtLn(std::string name);

    // Reads a stream that is already open, such as standard input, from where
    // it stands. The reader never closes it; Close only lets go of it.
    explicit RdTxtLn(std::FILE* stream);

    // Releases the file handle if one is still held, in any state.
    virtual ~RdTxtLn();

    // A reader owns its handle alone, so it can be neither copied nor moved.
    RdTxtLn(const RdTxtLn&) = delete;
    RdTxtLn& operator=(const RdTxtLn&) = delete;
    RdTxtLn(RdTxtLn&&) = delete;
    RdTxtLn& operator=(RdTxtLn&&) = delete;

    // Reads the next line into `line` and returns a GetLn result code. At end of
    // file the bytes gathered so far (perhaps none) are delivered and the state
    // becomes kEndOfFile. On kNothingRead and kLineTooLong `line` is untouched;
    // after kLineTooLong the next call goes on after the 999 bytes it dropped.
    int GetLn(std::string& line);

    // Reads the next line as GetLn does, but of any length: a table's line
    // may be longer than kMaxLine. kLineTooLong never comes.
    int GetLongLn(std::string& line);
    // Reads the next line exactly as GetLn does (the same results, states and
    // limits) but delivers only its first byte, none for an empty line: for
    // a pass that only counts lines and looks at how they start.
    int GetLnHead(std::string& head);

    // The bytes of the current block not yet read, from the next line's
    // start, refilled when none are left: for a caller that reads the
    // common lines where they lie rather than through GetLn, and then tells
    // how far with SkipTo. False when the reader must deliver the next line
    // itself: at the end of the data, after a byte put back, in UTF-16, from
    // a terminal, or before the first line.
    bool PeekBlock(const char*& first, const char*& last);

    // The caller of PeekBlock has taken whole lines, line ends included, up
    // to p (within the bytes it was given); reading goes on there.
    void SkipTo(const char* p) { next_ = p; }

    // True when the rest of the file can be read by position from other
    // threads (ReadAt): a regular file opened by name, read as bytes, with
    // nothing put back; `offset` is where the next line starts, `size` the
    // file's size when it was opened.
    bool ReadableAt(long long& offset, long long& size) const;

    // Reads up to n bytes from `offset` of the open file into `buffer`
    // without moving the reader: any thread may call it at once with
    // another. Gives how many (0 at the end), or -1 on a read error.
    long long ReadAt(long long offset, char* buffer, std::size_t n) const;

    // Goes on reading lines from `offset` (a line's start) of the open
    // regular file, the bytes before it taken as read; false when the file
    // cannot be moved there (the reader is then at a read error).
    bool SeekTo(long long offset);

    // Releases the handle. A ready reader becomes kClosed; a reader at end of
    // file keeps kEndOfFile; otherwise nothing changes.
    void Close();

    // Releases any handle still held, then opens the named file as the
    // constructor does.
    void ReOpen(std::string name);

    // True when reading the file opened last met a read error (not the end of
    // the data): the line that ended there, and the end of file after it, are
    // not the file's own. Kept through Close until the next open.
    bool RdErr() const;

    // True when `name` refers to the very file the reader holds open, however
    // it is spelled or linked and even after that file was renamed: the two
    // are compared by device and file number, not by name. False when the
    // reader holds no file or the name refers to none. The open file's identity
    // is taken when it is opened, while its name still leads to it.
    bool IsOpenFl(const std::string& name) const;

    // True when `stream` is open on the very file the reader holds open,
    // compared by device and file number as IsOpenFl compares names. False
    // when either is unknown.
    bool IsOpenStrm(std::FILE* stream) const;

    // How far reading has got: the bytes taken from the file since it was
    // opened (a block ahead of the lines delivered), and the file's size when
    // it is a regular file, -1 otherwise; for a progress report.
    long long BytesRd() const { return taken_; }
    long long FlSize() const { return size_; }

    // The kind of the file the reader holds open (kRegularFile when none).
    int FlKind() const { return kind_; }

    // True when the last open failed because the name (or the stream) is a
    // folder, so that the caller can say so rather than give the system's
    // reason.
    bool IsFldr() const { return folder_; }

    // Makes every lone carriage return (one not followed by a line feed) end a
    // line, as in files saved with old Mac line ends; `on` false restores the
    // rule above, under which a lone CR inside a line is dropped. Holds
    // through Close and ReOpen, so that both passes over a file split it
    // alike. A CR LF pair stays one line end either way.
    void CrEndsLn(bool on) { crEnds_ = on; }

    // How the files opened from now on are decoded: kNoUtf16 reads bytes
    // as they are; kUtf16ByMark reads a file that starts with FF FE (or
    // FE FF) as UTF-16 little (big) endian; kUtf16 reads every file so,
    // little endian unless its mark says big. The mark is taken off, and
    // the text delivered in UTF-8 (a code unit that is no character becomes
    // U+FFFD).
    static constexpr int kNoUtf16 = 0;
    static constexpr int kUtf16ByMark = 1;
    static constexpr int kUtf16 = 2;
    void DecodeUtf16(int mode) { utf16Mode_ = mode; }
    // True when a byte order mark (UTF-8, or UTF-16 as decoded) began the
    // file opened last, which then tells its character set.
    bool MetBom() const { return metBom_; }
    // True when the file opened last is read as UTF-16.
    bool IsUtf16() const { return utf16_ != 0; }
    // True when, since the file was last opened, a lone carriage return ended
    // a line under CrEndsLn: the file has CR line ends, which the caller may
    // want to mention.
    bool MetLoneCr() const { return metLoneCr_; }

private:
    void Take(std::FILE* fp, bool owned);
    void Open(const std::string& name);
    void Release();
    int GetByte();
    int RawByte();
    int DecodedByte();
    bool DecodeCharacter();
    void AppendOrdinaryBytes(std::string& line);
    bool Refill();
    bool RefillFromStream();
    bool RefillByte();
    int TakeOrdinaryBytes(char* out, int room);
    int ReadLn(std::string& line, std::size_t keep);
    bool TakeWholeLine(std::string& line, std::size_t keep);
    void PutBack(int c);
    void PutBackRaw(int c);
    bool TakeLineFeedAfterCr();
    void SkipByteOrderMark();
};

}  // namespace myLib

#endif  // MYLIB_RDTXTLN_H
