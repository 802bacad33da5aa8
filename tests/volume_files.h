// Real volume files for the tests that run the binary.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<unsigned char>;

bool write_file(const std::string& path, const Bytes& bytes);
Bytes read_file(const std::string& path);  // empty when it cannot be read

// A file of `size` bytes that holds no data (a hole) until written.
bool make_sparse_file(const std::string& path, std::int64_t size);
bool write_at(const std::string& path, std::int64_t offset, const Bytes& bytes);
Bytes read_at(const std::string& path, std::int64_t offset, std::size_t count);
std::int64_t file_size(const std::string& path);  // -1 when unknown

void sleep_ms(int ms);
