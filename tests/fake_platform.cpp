#include "fake_platform.h"

#include <cstring>

#include "cli/console_echo.h"
#include "cli/key_read.h"
#include "trailer/volume_file.h"

FakeVolume fake_volume;
FakeKey fake_key;

bool volume_open(const char* path)
{
    ++fake_volume.open_calls;
    fake_volume.opened_path = path;
    fake_volume.is_open = fake_volume.exists;
    fake_volume.position = 0;
    return fake_volume.exists;
}

std::int64_t volume_seek(std::int64_t offset, SeekFrom origin)
{
    FakeVolume& v = fake_volume;
    ++v.seek_calls;
    if (v.seek_calls == v.grow_before_seek_call) {
        v.bytes.resize(v.bytes.size() + v.grow_by, 0);
    }
    if (v.seek_calls == v.fail_seek_call) {
        return -1;
    }
    const std::int64_t base =
        origin == SeekFrom::end ? static_cast<std::int64_t>(v.bytes.size()) : v.position;
    if (base + offset < 0) {
        return -1;
    }
    v.position = base + offset;
    return v.position;
}

namespace {
std::int64_t transfer_size(std::int64_t injected, std::size_t asked)
{
    return injected == -2 ? static_cast<std::int64_t>(asked) : injected;
}
}  // namespace

std::int64_t volume_read(unsigned char* buffer, std::size_t size)
{
    FakeVolume& v = fake_volume;
    ++v.read_calls;
    const std::int64_t n = transfer_size(v.read_result, size);
    if (n > 0) {
        std::memcpy(buffer, v.bytes.data() + v.position, static_cast<std::size_t>(n));
        v.position += n;
    }
    return n;
}

std::int64_t volume_write(const unsigned char* buffer, std::size_t size)
{
    FakeVolume& v = fake_volume;
    ++v.write_calls;
    const std::int64_t n = transfer_size(v.write_result, size);
    if (n > 0) {
        std::memcpy(v.bytes.data() + v.position, buffer, static_cast<std::size_t>(n));
        v.position += n;
    }
    return n;
}

bool volume_still_named()
{
    return fake_volume.still_named;
}

bool volume_flush()
{
    ++fake_volume.flush_calls;
    return !fake_volume.flush_fails;
}

int volume_close()
{
    ++fake_volume.close_calls;
    fake_volume.is_open = false;
    return fake_volume.close_fails ? -1 : 0;
}

int read_confirmation_key()
{
    ++fake_key.calls;
    return fake_key.answer;
}

void echo_on_console(const char* text)
{
    fake_key.echoed += text;
}
