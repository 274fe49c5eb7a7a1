// brevanta-ofx-reader FILE COUNT [--copy]: reads the OFX or QFX statement
// FILE, whose text shows COUNT transactions, with libofx, and writes what
// libofx found on standard output (statements/ofx_reader_protocol.h).
// --copy: FILE is a private copy, to be deleted when the reader is ended.
//
// libofx and the SGML parser under it copy the file into the temporary
// folder, look for catalogs beside it, and can be led to take minutes or
// gigabytes by a file built for it. So only the program runs this, in a
// folder of its own, with limits on time, memory and file size
// (statements/contained_process.h); nothing here trusts its input more.

#include <libofx/libofx.h>

#include <cerrno>
#include <climits>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <dirent.h>
#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <utility>
#include <vector>

#include "statements/ofx_reader_protocol.h"

namespace {

std::string output;  // written at the end in one piece
size_t transactions = 0;

std::string field(const char* bytes, size_t most) {
    const size_t length = bytes ? ::strnlen(bytes, most) : 0;
    if (length == 0) return "-";
    std::string text;
    for (size_t i = 0; i < length; ++i) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c <= ' ' || c == 0x7f || c == '%' || c == '-') {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", c);
            text += escaped;
        } else {
            text += char(c);
        }
    }
    return text;
}

std::string number(double value) {
    if (!std::isfinite(value)) return "nan";
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

int onTransaction(const OfxTransactionData data, void*) {
    output += "T " + std::string(data.amount_valid ? "1 " : "0 ") + number(data.amount_valid ? data.amount : 0) + ' ' +
              field(data.check_number_valid ? data.check_number : nullptr, sizeof data.check_number) + ' ' +
              field(data.name_valid ? data.name : nullptr, sizeof data.name) + ' ' +
              field(data.memo_valid ? data.memo : nullptr, sizeof data.memo) + '\n';
    ++transactions;
    return 0;
}

int onStatement(const OfxStatementData data, void*) {
    if (data.ledger_balance_valid)
        output += "S 1 " + number(data.ledger_balance) + (data.ledger_balance_date_valid ? " 1 " : " 0 ") +
                  std::to_string(data.ledger_balance_date_valid ? static_cast<long long>(data.ledger_balance_date) : 0) +
                  '\n';
    return 0;
}

int onStatus(const OfxStatusData data, void*) {
    if (data.severity_valid && data.severity == OfxStatusData::ERROR)
        output += "E " + std::to_string(data.code_valid ? data.code : 0) + ' ' +
                  field(data.code_valid ? data.name : nullptr, 200) + ' ' +
                  field(data.server_message_valid ? data.server_message : nullptr, 200) + '\n';
    return 0;
}

// ---- what the program's end leaves ----

// The program ends this reader with SIGTERM when it is itself ended: the
// copies of the statement go first (they hold account numbers): libofx's
// in the temporary folder, the reader's part, and with --copy the input.
// System calls only, as a signal handler must.
char gTemporaryFolder[PATH_MAX];
char gInputCopy[PATH_MAX];
constexpr char kPartName[] = "brevanta-ofx-part.ofx";  // in the working folder

void removeLibofxCopies(const char* folder) {
    const int fd = ::open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    alignas(8) char buffer[4096];
    long length;
    while ((length = ::syscall(SYS_getdents64, fd, buffer, sizeof buffer)) > 0) {
        for (long at = 0; at < length;) {
            const auto* entry = reinterpret_cast<const struct dirent64*>(buffer + at);
            if (std::strncmp(entry->d_name, "libofxtmp", 9) == 0) ::unlinkat(fd, entry->d_name, 0);
            at += entry->d_reclen;
        }
    }
    ::close(fd);
}

extern "C" void removeCopiesAndEnd(int) {
    ::unlink(kPartName);
    if (gInputCopy[0]) ::unlink(gInputCopy);
    if (gTemporaryFolder[0]) removeLibofxCopies(gTemporaryFolder);
    ::_exit(5);
}

void removeCopiesWhenEnded(const char* inputCopy) {
    if (const char* folder = std::getenv("TMPDIR"); folder && std::strlen(folder) < sizeof gTemporaryFolder)
        std::strcpy(gTemporaryFolder, folder);
    if (inputCopy && std::strlen(inputCopy) < sizeof gInputCopy) std::strcpy(gInputCopy, inputCopy);
    for (int number : {SIGTERM, SIGINT, SIGHUP}) std::signal(number, removeCopiesAndEnd);
}

void quietLibofx() {
    ofx_PARSER_msg = ofx_DEBUG_msg = ofx_DEBUG1_msg = ofx_DEBUG2_msg = ofx_DEBUG3_msg = ofx_DEBUG4_msg =
        ofx_DEBUG5_msg = ofx_STATUS_msg = ofx_INFO_msg = ofx_WARNING_msg = ofx_ERROR_msg = ofx_show_position = 0;
}

bool runLibofx(const std::string& path) {
    LibofxContextPtr context = libofx_get_new_context();
    ofx_set_transaction_cb(context, onTransaction, nullptr);
    ofx_set_statement_cb(context, onStatement, nullptr);
    ofx_set_status_cb(context, onStatus, nullptr);
    const int outcome = libofx_proc_file(context, path.c_str(), AUTODETECT);
    libofx_free_context(context);
    return outcome >= 0;
}

// libofx takes time that grows with the square of the transactions in one
// file (10,000 take over a second, 2,000 a twentieth of that). A long
// statement is therefore given to it in parts: the file's own bytes before
// the first <STMTTRN>, a run of whole transactions, and the bytes after the
// last </STMTTRN>, each part a complete statement in the file's encoding.
constexpr size_t kTransactionsPerPart = 2000;

// The byte ranges of the transactions, or nothing when the bytes do not show
// exactly the transactions the program's own reading found (UTF-16, lower-case tags).
std::vector<std::pair<size_t, size_t>> transactionBytes(std::string_view bytes, size_t expected) {
    std::vector<std::pair<size_t, size_t>> ranges;
    constexpr std::string_view open("<STMTTRN>"), close("</STMTTRN>");
    size_t at = 0;
    while ((at = bytes.find(open, at)) != std::string_view::npos) {
        const size_t end = bytes.find(close, at);
        if (end == std::string_view::npos) return {};
        ranges.emplace_back(at, end + close.size());
        at = end + close.size();
    }
    if (ranges.size() != expected) return {};
    return ranges;
}

bool readInParts(const std::string& bytes, const std::vector<std::pair<size_t, size_t>>& ranges) {
    const std::string_view all(bytes);
    const std::string_view head = all.substr(0, ranges.front().first);
    const std::string_view tail = all.substr(ranges.back().second);
    for (size_t first = 0; first < ranges.size(); first += kTransactionsPerPart) {
        const size_t last = std::min(ranges.size(), first + kTransactionsPerPart) - 1;
        const std::string part = kPartName;
        {
            std::ofstream file(part, std::ios::binary | std::ios::trunc);
            file << head << all.substr(ranges[first].first, ranges[last].second - ranges[first].first) << tail;
            if (!file.flush()) return false;
        }
        const bool read = runLibofx(part);
        std::remove(part.c_str());
        if (!read) return false;
    }
    return true;
}

void writeAll(const std::string& text) {
    size_t written = 0;
    while (written < text.size()) {
        const ssize_t n = ::write(STDOUT_FILENO, text.data() + written, text.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) std::_Exit(4);
        written += size_t(n);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const bool copy = argc == 4 && std::strcmp(argv[3], "--copy") == 0;
    if (argc != 3 && !copy) {
        std::fputs("brevanta-ofx-reader is run by the Brevanta program only\n", stderr);
        return 2;
    }
    const std::string path = argv[1];
    char* end = nullptr;
    const unsigned long long expected = std::strtoull(argv[2], &end, 10);
    if (!end || *end) return 2;
    removeCopiesWhenEnded(copy ? argv[1] : nullptr);
    quietLibofx();

    std::string bytes;
    {
        std::ifstream file(path, std::ios::binary);
        if (!file) return 3;
        bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }
    output = std::string(brevanta::statements::ofxprotocol::kFirstLine) + '\n';
    std::vector<std::pair<size_t, size_t>> ranges;
    if (expected > kTransactionsPerPart) ranges = transactionBytes(bytes, expected);
    const bool read = ranges.empty() ? runLibofx(path) : readInParts(bytes, ranges);
    if (!read) {
        writeAll(output + "FAIL\n");
        return 1;
    }
    writeAll(output + "END " + std::to_string(transactions) + '\n');
    return 0;
}
