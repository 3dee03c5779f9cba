#pragma once

#include <filesystem>
#include <string>

// Certificates made with the openssl tool for this test run, in a folder removed afterwards:
// a CA, a server certificate it signed for "localhost" and 127.0.0.1, one it signed for
// "localhost" alone, and a self-signed one for both.
class TestCertificates {
public:
    TestCertificates();
    ~TestCertificates();
    TestCertificates(const TestCertificates&) = delete;
    TestCertificates& operator=(const TestCertificates&) = delete;

    bool ok() const { return m_ok; }
    std::string file(const std::string& name) const { return (m_folder / name).string(); }
    std::string ca() const { return file("ca.pem"); }

private:
    bool make(const std::string& name, const std::string& altNames, bool selfSigned);

    std::filesystem::path m_folder;
    bool m_ok = false;
};
