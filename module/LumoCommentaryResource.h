/* Resource numbers of the LumoCommentary module (shared by the resource
 * script and the code). */
#ifndef LUMO_MODULE_LUMOCOMMENTARYRESOURCE_H
#define LUMO_MODULE_LUMOCOMMENTARYRESOURCE_H

#define IDR_LUMOCOMMENTARY 101   /* REGISTRY: the registration script */
#define IDI_LUMOCOMMENTARY 1     /* ICON */
#define IDR_LUMOCOMMENTARY_GIF 8 /* GIF image (not read by the module) */

#endif
