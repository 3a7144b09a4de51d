// SPDX-License-Identifier: GPL-3.0-or-later
// The card's small files: the input is read as a settings record and as a drive log,
// and the table and CSV are rendered from whatever the log gave.
#include "core/drivelog/RVXFlashDataModel.h"
#include "core/settings/RVXSettingFile.h"

#include <cstddef>
#include <cstdint>
#include <string>

#include <sys/mman.h>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    _FILEDATA record{};
    RVXSettingFromBytes(bytes, record);
    // A record read back from its own bytes is the same record.
    if (RVXSettingBytes(record) != RVXSettingBytes([&] {
            _FILEDATA again{};
            RVXSettingFromBytes(RVXSettingBytes(record), again);
            return again;
        }()))
        __builtin_trap();
    RVXSealSetting(record);

    static const int fd = memfd_create("zamo_000.drv", 0);
    static const QString path = QStringLiteral("/proc/self/fd/%1").arg(fd);
    if (fd < 0 || ftruncate(fd, 0) != 0 || pwrite(fd, data, size, 0) != ssize_t(size))
        return 0;
    RVXFlashDataModel model;
    if (model.doReadFlashDataFile(path)) {
        if (uint64_t(model.m_FlashDataNum()) * FlashDataRecord::kSize +
                    FlashDataRecord::kHeaderSize >
                size &&
            model.m_FlashDataNum() > 0)
            __builtin_trap(); // more rows than the file holds
        for (int64_t row = 0; row < model.m_FlashDataNum(); ++row)
            for (int column = 0; column < RVXFlashDataModel::kColumnCount; ++column)
                model.stringForColumnIndex(column, row);
    }
    return 0;
}
