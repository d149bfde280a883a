; The procedure as GIMP reports it after scanning the plug-in.

(define expected-arguments
  (list (list PDB-INT32 "run-mode" "The run mode { RUN-INTERACTIVE (0), RUN-NONINTERACTIVE (1) }")
        (list PDB-IMAGE "image" "Input image (unused)")
        (list PDB-DRAWABLE "drawable" "Input and result drawable")
        (list PDB-INT8 "invertInput" "Invert input")
        (list PDB-INT8 "slopeType" "Slope type { flat (1), round (2), round2 (3) }")
        (list PDB-INT8 "maxNormMBlurRad" "Maximum blur radius of depth map for flat slope")
        (list PDB-FLOAT "slopeDepthFlat" "Flat Depth")
        (list PDB-FLOAT "slopeDepthRound" "Round Depth")
        (list PDB-FLOAT "slopeDepthRound2" "Round2 Depth")
        (list PDB-DRAWABLE "probeImgDrawable" "Spherical probe image drawable {none (-1)}")
        (list PDB-FLOAT "specularity"
              "Specularity of probe image reflection {diffuse (0) .. specular (1)}")))

(let ((info (gimp-procedural-db-proc-info "plug-in-ormolo2")))
  (check "blurb" (equal? (list-ref info 0) "Ormolo 2.0") info)
  (check "help" (equal? (list-ref info 1)
                        "Bevel white foreground object and apply reflection of probe image")
         info)
  (check "date" (equal? (list-ref info 4) "2013-03-19") info)
  (check "type is plug-in" (= (list-ref info 5) PLUGIN) info)
  (check "11 arguments" (= (list-ref info 6) 11) info)
  (check "no return values" (= (list-ref info 7) 0) info))

(let loop ((index 0) (expected expected-arguments))
  (if (pair? expected)
      (let ((actual (gimp-procedural-db-proc-arg "plug-in-ormolo2" index)))
        (check (string-append "argument " (number->string index))
               (equal? actual (car expected))
               actual)
        (loop (+ index 1) (cdr expected)))))

; gimp-plugins-query searches the menu paths, which it reports without the
; mnemonic underscore.
(let ((plugins (gimp-plugins-query "Ormolo 2.0")))
  (check "one procedure" (= (list-ref plugins 0) 1) plugins)
  (check "menu path" (equal? (list-ref plugins 1) '("<Image>/Filters/Map/Ormolo 2.0..."))
         plugins)
  (check "image types" (equal? (list-ref plugins 7) '("RGB*")) plugins)
  (check "procedure name" (equal? (list-ref plugins 11) '("plug-in-ormolo2")) plugins))

; The registered label keeps its mnemonic; GIMP records it in its plug-in cache.
(write-line manifest "contains menu-label profile/pluginrc \"_Ormolo 2.0...\"")
(write-line manifest "contains menu-path profile/pluginrc (menu-path \"<Image>/Filters/Map\")")
