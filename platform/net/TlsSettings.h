#pragma once

#include <map>
#include <string>

// The settings of a connection's TLS layer: text keys with text values, "1" meaning yes and "0"
// no. With no settings at all a connection is a client that checks the server's certificate
// chain against the system's trust store and the name it connected to, and speaks TLS 1.2 or
// later; anything less safe must be asked for by a key below.
using TlsSettings = std::map<std::string, std::string>;

namespace TlsSettingKeys {
// "1": this side is the handshake's server; it needs the two files below.
inline constexpr const char* IsServer = "IsServer";
// A PEM file with this side's certificate followed by its intermediates, and its key.
inline constexpr const char* CertificateChainFile = "CertificateChainFile";
inline constexpr const char* PrivateKeyFile = "PrivateKeyFile";
// A PEM file of certificates trusted as roots beside the system's.
inline constexpr const char* TrustAnchorsFile = "TrustAnchorsFile";
// The host name or IP address the peer's certificate must name. By default the host that was
// connected to, or the peer's address; an empty value checks no name.
inline constexpr const char* PeerName = "PeerName";
// "0": the peer's certificate is not checked at all.
inline constexpr const char* ValidatesCertificateChain = "ValidatesCertificateChain";
// "1": a chain that is valid but for its dates passes.
inline constexpr const char* AllowsExpiredCertificates = "AllowsExpiredCertificates";
// "1": a chain that ends in an unknown or self-signed root passes; the name is still checked.
inline constexpr const char* AllowsAnyRoot = "AllowsAnyRoot";
} // namespace TlsSettingKeys
