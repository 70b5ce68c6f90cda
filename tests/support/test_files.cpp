#include "support/test_files.h"

#include <QCryptographicHash>
#include <QFile>

#include <algorithm>
#include <fstream>
#include <stdexcept>

namespace kestovan::test {

namespace {

constexpr std::int64_t WRITE_CHUNK = 1 << 20;

// splitmix64: fast, well mixed, and defined here so the bytes never change with the library.
class RandomStream {
public:
    explicit RandomStream(std::uint64_t seed) : state_(seed) {}

    void fill(char* out, std::int64_t size)
    {
        for (std::int64_t i = 0; i < size; ++i) {
            if (left_ == 0) {
                word_ = next();
                left_ = 8;
            }
            out[i] = static_cast<char>(word_ & 0xff);
            word_ >>= 8;
            --left_;
        }
    }

private:
    std::uint64_t next()
    {
        std::uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        return z ^ (z >> 31);
    }

    std::uint64_t state_;
    std::uint64_t word_ = 0;
    int left_ = 0;
};

} // namespace

std::string pseudo_random_bytes(std::int64_t size, std::uint64_t seed)
{
    std::string out(static_cast<std::size_t>(std::max<std::int64_t>(size, 0)), '\0');
    RandomStream(seed).fill(out.data(), static_cast<std::int64_t>(out.size()));
    return out;
}

void write_random_file(const std::string& path, std::int64_t size, std::uint64_t seed)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out)
        throw std::runtime_error("cannot create " + path);
    RandomStream stream(seed);
    std::string chunk;
    for (std::int64_t left = size; left > 0; left -= WRITE_CHUNK) {
        chunk.resize(static_cast<std::size_t>(std::min(left, WRITE_CHUNK)));
        stream.fill(chunk.data(), static_cast<std::int64_t>(chunk.size()));
        out.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
    }
    out.close();
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

void write_file(const std::string& path, std::string_view content)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    out.close();
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

std::string read_file(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string sha256_file(const std::string& path)
{
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read " + path);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!hash.addData(&file))
        throw std::runtime_error("cannot read " + path);
    return hash.result().toHex().toStdString();
}

std::string sha256_bytes(std::string_view bytes)
{
    return QCryptographicHash::hash(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())),
                                    QCryptographicHash::Sha256)
        .toHex()
        .toStdString();
}

} // namespace kestovan::test
