#!/bin/sh
# Signs a copy of the built setup file as a publisher signs it (Authenticode, with osslsigncode),
# with a certificate made here for the test: self-signed, for code signing, valid for two days. The
# signature must then verify against that certificate. Runs natively, before the Wine test that
# installs from the signed copy.
#   sign_setup_file.sh SETUP_FILE OUT_DIR
# Leaves OUT_DIR/TallyQuillSetup.exe (the signed copy) and OUT_DIR/signing.pem (the certificate).
set -eu
setup=$1
out=$2
rm -rf "$out"
mkdir -p "$out"

openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=TallyQuill test signing" \
    -addext "extendedKeyUsage=codeSigning" -addext "keyUsage=digitalSignature" \
    -keyout "$out/signing.key" -out "$out/signing.pem" >"$out/openssl.log" 2>&1 ||
    { cat "$out/openssl.log" >&2; exit 1; }
osslsigncode sign -certs "$out/signing.pem" -key "$out/signing.key" -h sha256 -n "TallyQuill Setup" \
    -in "$setup" -out "$out/TallyQuillSetup.exe" >"$out/sign.log" 2>&1 ||
    { cat "$out/sign.log" >&2; exit 1; }
if ! osslsigncode verify -CAfile "$out/signing.pem" -in "$out/TallyQuillSetup.exe" >"$out/verify.log" 2>&1; then
    cat "$out/verify.log" >&2
    echo "sign_setup_file.sh: the signed setup file does not verify against its certificate" >&2
    exit 1
fi
echo "[ figure ] setup file $(stat -c %s "$setup") bytes unsigned, $(stat -c %s "$out/TallyQuillSetup.exe") bytes signed"
