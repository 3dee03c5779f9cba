#include "tests/session/socket/TestCertificates.h"

#include <cstdlib>
#include <fstream>
#include <unistd.h>

namespace {
const std::string kNewKey = " -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes";
}

TestCertificates::TestCertificates()
{
    m_folder = std::filesystem::temp_directory_path() / ("floorpad-certs-" + std::to_string(::getpid()));
    std::filesystem::create_directories(m_folder);
    const std::string dir = m_folder.string() + "/";
    m_ok = std::system(("openssl req -x509" + kNewKey + " -keyout " + dir + "ca.key -out " + dir
                        + "ca.pem -days 2 -subj /CN=floorpad-test-ca 2>/dev/null")
                           .c_str())
            == 0
        && make("server", "DNS:localhost,IP:127.0.0.1", false) && make("nameonly", "DNS:localhost", false)
        && make("self", "DNS:localhost,IP:127.0.0.1", true);
}

TestCertificates::~TestCertificates()
{
    std::error_code ignored;
    std::filesystem::remove_all(m_folder, ignored);
}

bool TestCertificates::make(const std::string& name, const std::string& altNames, bool selfSigned)
{
    const std::string base = (m_folder / name).string();
    std::ofstream(base + ".ext") << "subjectAltName=" << altNames << "\n";
    std::string command;
    if (selfSigned) {
        command = "openssl req -x509" + kNewKey + " -keyout " + base + ".key -out " + base
            + ".pem -days 2 -subj /CN=localhost -addext subjectAltName=" + altNames;
    } else {
        command = "openssl req" + kNewKey + " -keyout " + base + ".key -out " + base
            + ".csr -subj /CN=localhost && openssl x509 -req -in " + base + ".csr -CA " + file("ca.pem")
            + " -CAkey " + file("ca.key") + " -CAcreateserial -days 2 -extfile " + base + ".ext -out " + base
            + ".pem";
    }
    return std::system((command + " 2>/dev/null >/dev/null").c_str()) == 0;
}
