/* Heap and database memory of the toolkit. Both hand out zero-filled blocks
 * from the C heap; a database address is the block's own address, so reading
 * and writing database memory are plain copies. */
#include "toolkit/zt/zt.h"

#include <cstdlib>
#include <cstring>

extern "C" {

void* ztmem_malloc(size_t size) { return std::calloc(1, size ? size : 1); }
void* ztmem_realloc(void* p, size_t size) { return std::realloc(p, size ? size : 1); }
void ztmem_free(void* p) { std::free(p); }

int ztvm_init(void) { return 1; }
int ztvm_term(void) { return 1; }
void* ztvm_malloc(size_t size) { return std::calloc(1, size ? size : 1); }
void ztvm_free(void* p) { std::free(p); }

int ztvm_readbytes(void* dst, const void* addr, uint16_t count) {
  std::memcpy(dst, addr, count);
  return 1;
}

int ztvm_writebytes(void* addr, const void* src, uint16_t count) {
  std::memcpy(addr, src, count);
  return 1;
}

}  // extern "C"
