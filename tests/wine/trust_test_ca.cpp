// Makes the test run's Wine prefix trust a test certificate authority:
//   trust_test_ca CA.pem
// adds it to the machine's root store. Only ever run in a test prefix.

#include <windows.h>
#include <wincrypt.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: trust_test_ca CA.pem\n");
        return 2;
    }
    std::ifstream file(argv[1], std::ios::binary);
    const std::string pem((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    DWORD size = 0;
    if (!CryptStringToBinaryA(pem.c_str(), 0, CRYPT_STRING_BASE64HEADER, nullptr, &size, nullptr, nullptr)) {
        std::fprintf(stderr, "trust_test_ca: %s holds no certificate\n", argv[1]);
        return 1;
    }
    std::vector<BYTE> der(size);
    CryptStringToBinaryA(pem.c_str(), 0, CRYPT_STRING_BASE64HEADER, der.data(), &size, nullptr, nullptr);
    const HCERTSTORE root = CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"Root");
    if (!root || !CertAddEncodedCertificateToStore(root, X509_ASN_ENCODING, der.data(), size,
                                                    CERT_STORE_ADD_REPLACE_EXISTING, nullptr)) {
        std::fprintf(stderr, "trust_test_ca: cannot add to the root store (%lu)\n", GetLastError());
        return 1;
    }
    CertCloseStore(root, 0);
    return 0;
}
