; The settings stored under "plug-in-ormolo2" between calls: runs with the
; last values read them, non-interactive runs neither read nor write them.

(define (with-last-values image layer)
  (plug-in-ormolo2 RUN-WITH-LAST-VALS image layer 0 0 0 0 0 0 -1 0))

(define (nothing-stored? name)
  (check name (failed? (try (lambda () (gimp-procedural-db-get-data-size "plug-in-ormolo2"))))
         "a record is stored"))

(define (shape) (make-shape 64 48 RGB-IMAGE 0 0 64 48))

(define (render-case name settings render)
  (let ((image-and-layer (shape)))
    (expect-render name (car image-and-layer) (cadr image-and-layer) #f settings render)))

(nothing-stored? "fresh profile stores nothing")
(render-case "last-values-without-record" default-settings with-last-values)

(render-case "noninteractive" '(1 1 2 5 7 20)
             (lambda (image layer) (render-noninteractive image layer '(1 1 2 5 7 20))))
(nothing-stored? "noninteractive run stores nothing")
(render-case "last-values-after-noninteractive" default-settings with-last-values)

; Flat with invert, radius 2 and depth 5, no probe, specularity 1, preview on.
(define flat-record (settings-record '(1 1 2 5 7 20 -1 1.0) 1))

(store-record flat-record)
(render-case "last-values-with-record" '(1 1 2 5 7 20) with-last-values)
(check "last-values run leaves the record"
       (equal? (gimp-procedural-db-get-data "plug-in-ormolo2")
               (list 48 (list->vector flat-record)))
       (gimp-procedural-db-get-data "plug-in-ormolo2"))

; Records of any other size are ignored, even when their start is a valid
; record or holds valid leading fields.
(store-record (append flat-record '(0 0 0 0)))
(render-case "last-values-with-52-byte-record" default-settings with-last-values)
(store-record '(1 0 0 0  1 0 0 0))
(render-case "last-values-with-8-byte-record" default-settings with-last-values)
