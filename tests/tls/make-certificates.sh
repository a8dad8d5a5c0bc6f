#!/bin/sh
# Makes a test certificate authority and the servers' certificates, in FOLDER:
#   ca.pem                    the test authority (trusted by the tests only)
#   good.pem, good.key        localhost, signed by the authority
#   wrong-name.pem, .key      wrong.example, signed by the authority
#   expired.pem, .key         localhost, signed by the authority, valid in 2020 only
#   self-signed.pem, .key     localhost, signed by itself
#   make-certificates.sh FOLDER
set -eu
cd "$1"
quiet() { "$@" >/dev/null 2>&1 || { echo "failed: $*" >&2; exit 1; }; }

quiet openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 30 \
  -subj "/CN=selvane test authority" -addext "basicConstraints=critical,CA:TRUE" \
  -addext "keyUsage=critical,keyCertSign,cRLSign"

server_extensions() {  # server_extensions NAME
  printf 'basicConstraints=CA:FALSE\nkeyUsage=digitalSignature,keyEncipherment\nextendedKeyUsage=serverAuth\nsubjectAltName=DNS:%s\n' "$1"
}

signed() {  # signed FILE NAME [openssl ca date options]
  file=$1 name=$2
  shift 2
  quiet openssl req -newkey rsa:2048 -nodes -keyout "$file.key" -out "$file.csr" -subj "/CN=$name"
  server_extensions "$name" > "$file.ext"
  if [ $# -eq 0 ]; then
    quiet openssl x509 -req -in "$file.csr" -CA ca.pem -CAkey ca.key -CAcreateserial -days 30 -extfile "$file.ext" \
      -out "$file.pem"
  else
    # Dates in the past need "openssl ca" and its small database.
    mkdir -p ca-db && : > ca-db/index.txt && echo 1000 > ca-db/serial
    cat > ca-db/ca.cnf <<CONF
[ca]
default_ca = test
[test]
database = ca-db/index.txt
serial = ca-db/serial
new_certs_dir = ca-db
certificate = ca.pem
private_key = ca.key
default_md = sha256
policy = any
copy_extensions = none
[any]
commonName = supplied
CONF
    quiet openssl ca -batch -config ca-db/ca.cnf -in "$file.csr" -out "$file.pem" -extfile "$file.ext" -notext "$@"
  fi
}

signed good localhost
signed wrong-name wrong.example
signed expired localhost -startdate 20200101000000Z -enddate 20201231000000Z
quiet openssl req -x509 -newkey rsa:2048 -nodes -keyout self-signed.key -out self-signed.pem -days 30 \
  -subj "/CN=localhost" -addext "subjectAltName=DNS:localhost"
