/* The converter plug-in's C interface, shared by the program (which loads
 * crdll.so from its own folder and calls it) and by the plug-in itself.
 *
 * Call sequence, once per conversion, the library loaded just before and
 * unloaded just after:
 *
 *   char text[CADRELAY_VERSION_SIZE] = {0};
 *   vers_cadrelay(text);                        version text, not shown
 *   status = init_cadrelay(CADRELAY_INTERFACE); 0 = ready
 *   status = exec_cadrelay(command, 0);         0 = output written
 *
 * The command text is " \"<input DXF>\" \"<output>\" <switch>": a blank, the
 * input path in double quotes, a blank, the output path in double quotes, a
 * blank and one of the release switches /12 /13 /14 /2000 /2004 /2007. The
 * output path's extension (.dwg or not) says whether DWG or DXF is wanted.
 *
 * Plain C so that either side may be built by any compiler; every function
 * uses the platform's default calling convention.
 */
#ifndef PENLOOM_CADRELAY_H
#define PENLOOM_CADRELAY_H

#ifdef __cplusplus
extern "C" {
#endif

/* Size of the buffer given to vers_cadrelay, terminating zero included. */
#define CADRELAY_VERSION_SIZE 100

/* The program's one fixed initialisation argument: the version of this
 * interface. A plug-in built for another version refuses it. */
#define CADRELAY_INTERFACE 1

/* Statuses of init_cadrelay and exec_cadrelay. 0 is success; each failure has
 * its own small positive number (README.md, "Converter plug-in statuses").
 * ORDER STATUSES: keep README.md in step. */
#define CADRELAY_OK 0
#define CADRELAY_BAD_COMMAND 1        /* command text malformed, unknown switch */
#define CADRELAY_CANNOT_READ 2        /* input DXF missing or unreadable */
#define CADRELAY_NOT_R2000_DXF 3      /* input is no complete release 2000 ASCII DXF */
#define CADRELAY_CANNOT_WRITE 4       /* output cannot be created or completed */
#define CADRELAY_DWG_UNAVAILABLE 5    /* DWG at /2007; not written yet */
#define CADRELAY_DOWNGRADE_REFUSED 6  /* DXF output below release 2000 asked for */
#define CADRELAY_BAD_INTERFACE 7      /* init_cadrelay given another interface */
#define CADRELAY_BAD_CODE_PAGE 8      /* 2007 output: non-ASCII text in a code page
                                         without a conversion table */

/* Writes a zero-terminated version text of at most CADRELAY_VERSION_SIZE - 1
 * characters into text, which holds CADRELAY_VERSION_SIZE bytes. */
typedef void (*vers_cadrelay_fn)(char* text);

/* Prepares the plug-in. interface is CADRELAY_INTERFACE. */
typedef int (*init_cadrelay_fn)(int interface_version);

/* Runs one conversion; flags is 0 (no other value is defined). */
typedef int (*exec_cadrelay_fn)(const char* command, int flags);

#ifdef PENLOOM_CADRELAY_PLUGIN
#define CADRELAY_EXPORT __attribute__((visibility("default")))
void vers_cadrelay(char* text) CADRELAY_EXPORT;
int init_cadrelay(int interface_version) CADRELAY_EXPORT;
int exec_cadrelay(const char* command, int flags) CADRELAY_EXPORT;
#endif

#ifdef __cplusplus
}
#endif

#endif /* PENLOOM_CADRELAY_H */
