/* Added to ld's own script for the Windows programs (-Wl,-T). Nothing in them throws or unwinds,
   so the DWARF unwind tables of the prebuilt runtime and C library are left out (5 KB). crtbegin's
   and crtend's are kept: crtbegin hands its table, ended by crtend's, to a libgcc DLL when one is
   loaded at start, and that table must stay whole. */
SECTIONS
{
  /DISCARD/ : { EXCLUDE_FILE(*crtbegin.o *crtend.o) *(.eh_frame) }
}
INSERT BEFORE .text;
