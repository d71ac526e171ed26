#!/bin/sh
# Stands in for VMware's driver setup on this example disc.
echo "VMware setup: would install the VMware SVGA and VMXNET drivers (parameters:${*:+ $*})"
