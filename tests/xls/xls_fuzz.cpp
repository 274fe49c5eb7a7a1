// Fuzzes the reader: inputs that start like a compound file go through the
// whole-file reader, anything else straight into the workbook stream
// decoder. Any frame::Failure is a correct answer; crashes, hangs and huge
// allocations are not.

#include <glib.h>

#include <cstdint>
#include <cstring>

#include "frame/failure.h"
#include "xls/workbook_stream.h"

namespace {
void quiet(const gchar*, GLogLevelFlags, const gchar*, gpointer) {}
}

// libgsf itself leaks a few bytes of directory names on some damaged
// containers (reproduced with libgsf alone); its allocations all come
// through GLib, which this reader never calls otherwise.
extern "C" const char* __lsan_default_suppressions() { return "leak:libglib-2.0.so\n"; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool silenced = [] {
        // libgsf reports damaged containers through GLib's log; the answer that matters is ours.
        g_log_set_handler("libgsf", GLogLevelFlags(G_LOG_LEVEL_MASK), quiet, nullptr);
        g_log_set_handler("libgsf:msole", GLogLevelFlags(G_LOG_LEVEL_MASK), quiet, nullptr);
        g_log_set_handler(nullptr, GLogLevelFlags(G_LOG_LEVEL_CRITICAL | G_LOG_LEVEL_WARNING), quiet, nullptr);
        return true;
    }();
    (void)silenced;
    static const uint8_t signature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    try {
        if (size >= 8 && std::memcmp(data, signature, 8) == 0)
            brevanta::xls::decodeWorkbookFile(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
        else
            brevanta::xls::decodeWorkbookStream({data, size});
    } catch (const brevanta::frame::Failure&) {
    }
    return 0;
}
