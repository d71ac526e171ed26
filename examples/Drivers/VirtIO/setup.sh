#!/bin/sh
# Stands in for Red Hat VirtIO's driver setup on this example disc.
echo "Red Hat VirtIO setup: would install the VirtIO storage, network and balloon drivers (parameters:${*:+ $*})"
